#pragma once

#include <juce_core/juce_core.h>

/** The framework's XML parser, kept away from documents it cannot survive.
    A document type declaration lets entity definitions expand without end
    (the parser hangs), and deeply nested elements recurse until the stack
    runs out. Neither belongs in a host state or a preset, which are single
    elements, so such text is refused as if it did not parse. */
class SafeXml
{
public:
    /** Nesting far beyond any document of ours, far below any stack limit. */
    static constexpr int maxDepth = 32;

    /** The document element, or nullptr for text that does not parse or is refused. */
    static std::unique_ptr<juce::XmlElement> parse (const juce::String& text);

    /** The same for the framework's binary XML wrapper (the host state's
        block): its checks and reading, bounded by sizeInBytes, then parse(). */
    static std::unique_ptr<juce::XmlElement> fromBinary (const void* data, int sizeInBytes);

    /** True for a document type declaration or nesting deeper than maxDepth. */
    static bool isRefused (const juce::String& text);
};
