#include "bootstrap/publisher_match.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>

#include "support/named_cases.h"

namespace ormix {
namespace {

using namespace std::literals;

struct PublisherCase {
  const char* name;
  std::u16string_view signer;  // as the certificate gives it
  std::string_view publisher;  // the build's setting, UTF-8
  bool matches;
};

using test::PrintTo;

class PublisherMatchTest : public testing::TestWithParam<PublisherCase> {};

TEST_P(PublisherMatchTest, ComparesTheWholeNameExactly) {
  const PublisherCase& c = GetParam();
  EXPECT_EQ(IsPinnedPublisher(c.signer, c.publisher), c.matches);
}

// A lone surrogate cannot be written as a char16_t literal.
const std::u16string kLoneSurrogate = u"Harrowmere "s + char16_t{0xD83D} + u" Ltd"s;

INSTANTIATE_TEST_SUITE_P(
    Names, PublisherMatchTest,
    testing::Values(
        PublisherCase{"Same", u"Harrowmere Software Ltd", "Harrowmere Software Ltd", true},
        PublisherCase{"NoPublisherTakesAnySigner", u"Someone Else", "", true},
        PublisherCase{"NoPublisherTakesAnUnreadName", u"", "", true},
        PublisherCase{"UnreadNameAgainstAPublisher", u"", "Harrowmere Software Ltd", false},
        PublisherCase{"CaseDiffers", u"harrowmere software ltd", "Harrowmere Software Ltd", false},
        PublisherCase{"SignerHasMore", u"Harrowmere Software Ltd.", "Harrowmere Software Ltd",
                      false},
        PublisherCase{"SignerHasLess", u"Harrowmere Software", "Harrowmere Software Ltd", false},
        PublisherCase{"TrailingBlank", u"Harrowmere Software Ltd ", "Harrowmere Software Ltd",
                      false},
        PublisherCase{"LeadingBlank", u" Harrowmere Software Ltd", "Harrowmere Software Ltd",
                      false},
        // A zero inside a certificate's name must not end the comparison early.
        PublisherCase{"ZeroUnitThenMore", u"Harrowmere Software Ltd\0.example"sv,
                      "Harrowmere Software Ltd", false},
        PublisherCase{"NonAscii", u"Société Générale Logiciel",
                      "Soci\xC3\xA9t\xC3\xA9 G\xC3\xA9n\xC3\xA9rale Logiciel", true},
        PublisherCase{"DecomposedAccentsAreAnotherName",
                      u"Socie\u0301te\u0301 Ge\u0301ne\u0301rale",
                      "Soci\xC3\xA9t\xC3\xA9 G\xC3\xA9n\xC3\xA9rale", false},
        PublisherCase{"ThreeByteCharacter", u"Harrowmere 株式会社",
                      "Harrowmere \xE6\xA0\xAA\xE5\xBC\x8F\xE4\xBC\x9A\xE7\xA4\xBE", true},
        PublisherCase{"SurrogatePair", u"Harrowmere \U0001F680 Ltd",
                      "Harrowmere \xF0\x9F\x9A\x80 Ltd", true},
        PublisherCase{"PairAgainstLoneSurrogate", kLoneSurrogate, "Harrowmere \xF0\x9F\x9A\x80 Ltd",
                      false},
        // An invalid publisher matches nothing, not even the replacement character.
        PublisherCase{"InvalidByte", u"Harrowmere \uFFFD Ltd", "Harrowmere \xFF Ltd", false},
        PublisherCase{"StrayContinuationByte", u"Harrowmere \u0080 Ltd", "Harrowmere \x80 Ltd",
                      false},
        PublisherCase{"OverlongSlash", u"a/", "a\xC0\xAF", false},
        PublisherCase{"EncodedSurrogate", kLoneSurrogate, "Harrowmere \xED\xA0\xBD Ltd", false},
        PublisherCase{"CutSequenceAtTheEnd", u"Ltd", "Ltd\xC3", false},
        PublisherCase{"CutSequenceBeforeAnAsciiByte", u"LtdA",
                      "Ltd\xC3"
                      "A",
                      false},
        PublisherCase{"PastTheLastCodePoint", u"\uFFFD", "\xF4\x90\x80\x80", false},
        PublisherCase{"LastCodePoint", u"\U0010FFFF", "\xF4\x8F\xBF\xBF", true}),
    test::CaseName());

}  // namespace
}  // namespace ormix
