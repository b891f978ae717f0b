#pragma once

#include <juce_core/juce_core.h>

/** The framework's XML parser, kept away from documents it cannot survive:
    - text that is not valid UTF-8, or a malformed character reference such
      as "&#x" at the end, makes it read past the end of its buffer;
    - a document type declaration lets entity definitions expand without end;
    - a processing instruction inside an element, followed by text, makes it
      loop for ever;
    - deeply nested elements recurse until the stack runs out.
    A host state or a preset is one element written as UTF-8, at most behind
    an XML declaration, so none of this belongs in it: such text is refused
    as if it did not parse. */
class SafeXml
{
public:
    /** Markup ('<') a document may hold: far more than any of ours has (one
        or two), and so few that nesting them all cannot exhaust a stack. */
    static constexpr int maxMarkup = 64;

    /** The document element, or nullptr for text that does not parse or is refused. */
    static std::unique_ptr<juce::XmlElement> parse (const juce::String& text);

    /** True for text the parser must not see (see above). */
    static bool isRefused (const juce::String& text);
};
