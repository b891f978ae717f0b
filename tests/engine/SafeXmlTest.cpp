#include "engine/SafeXml.h"

#include <gtest/gtest.h>

namespace
{
/** Parsed from a heap copy of exactly the text's length, so that reading a
    byte past the end is caught by the address sanitizer. */
std::unique_ptr<juce::XmlElement> parse (const std::string& text)
{
    const auto copy = std::make_unique<char[]> (text.size());
    std::copy (text.begin(), text.end(), copy.get());
    return SafeXml::parse (copy.get(), text.size());
}

std::unique_ptr<juce::XmlElement> parse (const juce::String& text) { return parse (text.toStdString()); }

juce::String attributes (int count)
{
    juce::String text;

    for (int i = 0; i < count; ++i)
        text << " a" << i << "=\"" << i << "\"";

    return text;
}

/** An element with every sort of value the writers may meet: numbers,
    folder names with markup characters, controls, quotes and non-ASCII. */
juce::XmlElement awkwardElement()
{
    juce::XmlElement element ("Tarvolin");
    element.setAttribute ("NumParameters", 40);
    element.setAttribute ("PRM10", 0.20000000298023223877);
    element.setAttribute ("PresetFolder", juce::String::fromUTF8 ("Gitarre & <Bass> \"\xc3\xbc\" 'x' \xe2\x82\xac"));
    element.setAttribute ("PresetFilename", juce::String::fromUTF8 ("tab\there\nline\r\xf0\x9f\x8e\xb8.pmt"));
    return element;
}

void expectSameAttributes (const juce::XmlElement& read, const juce::XmlElement& written, const juce::String& how)
{
    ASSERT_EQ (read.getNumAttributes(), written.getNumAttributes()) << how;

    for (int i = 0; i < written.getNumAttributes(); ++i)
    {
        EXPECT_EQ (read.getAttributeName (i), written.getAttributeName (i)) << how;
        EXPECT_EQ (read.getAttributeValue (i), written.getAttributeValue (i)) << how;
    }
}
} // namespace

TEST (SafeXml, ReadsWhatTheFrameworksWriterMakes)
{
    // Every form earlier builds wrote: a state on one line with and without
    // the declaration, a preset document wrapped at 60 columns with CR LF.
    const auto written = awkwardElement();

    struct Case
    {
        const char* how;
        juce::XmlElement::TextFormat format;
    };

    for (const auto& c : { Case { "state", juce::XmlElement::TextFormat().singleLine().withoutHeader() },
                           Case { "state with header", juce::XmlElement::TextFormat().singleLine() },
                           Case { "preset", juce::XmlElement::TextFormat() } })
    {
        const auto text = written.toString (c.format);
        const auto read = parse (text);
        ASSERT_NE (read, nullptr) << c.how << ": " << text;
        EXPECT_EQ (read->getTagName(), "Tarvolin");
        expectSameAttributes (*read, written, c.how);
    }
}

TEST (SafeXml, AgreesWithTheFrameworkOnWellFormedDocuments)
{
    for (const std::string text :
         { "<a/>",
           "<a x='1'/>",
           " <?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<!-- note --> <a x = \"1\"\ty='2' />",
           "<a x=\"&amp;&lt;&gt;&quot;&apos;&AMP;&Lt;&#65;&#x263a;&#X1F3B8;\"/>",
           "<a x=\"1\">text &amp; <b y=\"2\"><c/></b><!-- <d> --></a> trailing <junk",
           "<a x=\"&#10;&#13;&#9;\" y=\"\xc3\xbc\"/>" })
    {
        const auto ours = parse (text);
        const auto framework = juce::parseXML (juce::String::fromUTF8 (text.data(), (int) text.size()));
        ASSERT_NE (ours, nullptr) << text;
        ASSERT_NE (framework, nullptr) << text;
        EXPECT_EQ (ours->getTagName(), framework->getTagName()) << text;
        expectSameAttributes (*ours, *framework, text);
    }
}

TEST (SafeXml, RefusesWhatLiesOutsideTheForm)
{
    using namespace std::string_literals;

    struct Case
    {
        const char* name;
        std::string text;
    };

    // Child elements below the document element, closed again.
    const auto nested = [] (int depth) {
        std::string open, close;

        for (int i = 0; i < depth; ++i)
        {
            open += "<b>";
            close += "</b>";
        }

        return "<a>" + open + close + "</a>";
    };

    for (const auto& c : { Case { "nothing", "" },
                           Case { "text", "this is not XML" },
                           Case { "not valid UTF-8", "<a x=\"\xb0\"/>" },
                           Case { "overlong '<'",
                                  "<a><\xc0\xbc"
                                  "b/></a>" },
                           Case { "embedded NUL", "<a x=\"1\"/>\0<b/>"s },
                           Case { "document type", "<!DOCTYPE a [ <!ENTITY e \"&e;\"> ]><a x=\"&e;\"/>" },
                           Case { "CDATA", "<a><![CDATA[x]]></a>" },
                           Case { "processing instruction in content", "<a><?x?>text</a>" },
                           Case { "processing instruction before the element", "<?x?><a/>" },
                           Case { "declaration not first", "<!-- c --><?xml version=\"1.0\"?><a/>" },
                           Case { "declaration holding markup", "<?xml <a/> ?><a/>" },
                           Case { "unknown reference", "<a x=\"&nbsp;\"/>" },
                           Case { "reference to NUL", "<a x=\"&#0;\"/>" },
                           Case { "reference to a surrogate", "<a x=\"&#xd800;\"/>" },
                           Case { "reference beyond Unicode", "<a x=\"&#x110000;\"/>" },
                           Case { "reference with too many digits", "<a x=\"&#00000065;\"/>" },
                           Case { "reference cut by the end", "<a><b>&#X" },
                           Case { "unquoted value", "<a x=1/>" },
                           Case { "'<' in a value", "<a x=\"<\"/>" },
                           Case { "attributes without space", "<a x=\"1\"y=\"2\"/>" },
                           Case { "the same attribute twice", "<a x=\"1\" x=\"2\"/>" },
                           Case { "invalid name", "<a 1x=\"1\"/>" },
                           Case { "unclosed element", "<a x=\"1\">" },
                           Case { "end tag cut after its '<'", "<a></" },
                           Case { "child cut after its '<'", "<a><" },
                           Case { "name cut by the end", "<a" },
                           Case { "mismatched end tag", "<a><b></a></b>" },
                           Case { "unclosed comment", "<!-- <a/>" },
                           Case { "nesting past the limit", nested (SafeXml::maxDepth) } })
    {
        EXPECT_EQ (parse (c.text), nullptr) << c.name;
    }

    EXPECT_NE (parse (nested (SafeXml::maxDepth - 1)), nullptr);
}

TEST (SafeXml, LimitsSitJustAboveTheLargestDocumentWeWrite)
{
    EXPECT_NE (parse ("<a" + attributes (SafeXml::maxAttributes) + "/>"), nullptr);
    EXPECT_EQ (parse ("<a" + attributes (SafeXml::maxAttributes + 1) + "/>"), nullptr);

    const auto padded = [] (size_t size) {
        const std::string element = "<a x=\"1\"/>";
        return element + std::string (size - element.size(), ' ');
    };

    EXPECT_NE (parse (padded (SafeXml::maxDocumentBytes)), nullptr);
    EXPECT_EQ (parse (padded (SafeXml::maxDocumentBytes + 1)), nullptr);
}
