#include "engine/StrictUtf8.h"

#include <gtest/gtest.h>

#include <string>

TEST (StrictUtf8, AcceptsOnlyShortestFormsOfUnicodeCharacters)
{
    struct Case
    {
        const char* name;
        std::string bytes;
        bool valid;
    };

    using namespace std::string_literals;

    for (const auto& c : { Case { "empty", "", true },
                           Case { "ASCII", "<Gadgets/>", true },
                           Case { "two bytes",
                                  "Gr\xc3\xb6\xc3\x9f"
                                  "e",
                                  true },
                           Case { "three bytes", "\xe2\x82\xac", true },
                           Case { "four bytes", "\xf0\x9f\x8e\xb8", true },
                           Case { "largest code point", "\xf4\x8f\xbf\xbf", true },
                           Case { "last before surrogates", "\xed\x9f\xbf", true },
                           Case { "embedded NUL", "a\0b"s, false },
                           Case { "lone continuation", "x\x80yyy", false },
                           Case { "Latin-1 degree sign", "\xb0", false },
                           Case { "overlong '?'", "\xc0\xbf", false },
                           Case { "overlong '<'", "\xc0\xbc", false },
                           Case { "overlong NUL", "\xc0\x80", false },
                           Case { "overlong in three bytes", "\xe0\x80\xaf", false },
                           Case { "overlong in four bytes", "\xf0\x80\x80\xaf", false },
                           Case { "surrogate", "\xed\xa0\x80", false },
                           Case { "above U+10FFFF", "\xf4\x90\x80\x80", false },
                           Case { "five-byte lead", "\xf8\x88\x80\x80\x80", false },
                           Case { "cut at the end", "ab\xe2\x82", false },
                           Case { "cut by ASCII",
                                  "\xe2\x82"
                                  "a",
                                  false },
                           Case { "lead then end", "\xc3", false } })
    {
        EXPECT_EQ (StrictUtf8::isValid (c.bytes.data(), c.bytes.size()), c.valid) << c.name;
    }
}
