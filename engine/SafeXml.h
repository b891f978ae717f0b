#pragma once

#include <juce_core/juce_core.h>

#include <array>
#include <cstddef>

/** A reader for the one form our host state and preset files take, written
    for bytes that may come from anyone: a document element with attributes,
    behind an optional XML declaration and comments. The
    element may hold text, comments and child elements, which are checked and
    passed over: nothing we write has any, but hand-edited files may.

    The framework's own parser cannot survive hostile text (it reads past its
    buffer on broken UTF-8, loops for ever on overlong forms and some
    processing instructions, recurses without bound, expands entities
    without end and slows down quadratically with many attribute names), so
    it never sees outside bytes. Everything outside the form is refused as
    text that does not parse: document type declarations, CDATA, processing
    instructions, unknown references, and anything over the limits below. */
class SafeXml
{
public:
    /** Far above any document we write (a preset is under 2 kB, a state
        under 8 kB even with long preset names) and small enough that the
        largest one reads in well under a millisecond. */
    static constexpr size_t maxDocumentBytes = 64 * 1024;

    /** The most the host state holds: the count, forty values, forty
        controllers, the preset folder and file name. A preset holds fewer. */
    static constexpr int maxAttributes = 83;

    /** Nesting below the document element that is still checked. */
    static constexpr int maxDepth = 16;

    /** The document element with its attributes (no children), or nullptr
        for bytes that are not valid UTF-8, break the form or the limits. */
    static std::unique_ptr<juce::XmlElement> parse (const char* bytes, size_t numBytes);

private:
    SafeXml (const char* bytes, size_t numBytes) noexcept;

    std::unique_ptr<juce::XmlElement> readDocument();
    bool skipDeclaration();
    bool skipSpaceAndComments();
    bool skipComment();
    std::unique_ptr<juce::XmlElement> readElement();
    bool readAttributes (juce::XmlElement* element, bool& isEmptyElement);
    bool readAttributeValue (std::string& value);
    bool readReference (std::string& text);
    bool skipContent (juce::StringRef rootName);
    bool readName (juce::String& name);
    bool readEndTag (juce::StringRef expectedName);
    bool skipSpace() noexcept;
    bool skipPast (const char* terminator) noexcept;
    bool lookingAt (const char* text) const noexcept;
    bool atEnd() const noexcept { return cursor == end; }

    const char* cursor;
    const char* const end;
    std::array<juce::String, maxDepth> openNames;
};
