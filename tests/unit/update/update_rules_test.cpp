#include <gtest/gtest.h>

#include <climits>
#include <cwchar>

#include "core/update/update_rules.h"

namespace tf {
namespace {

TEST(UpdateVersions, ComparedAsNumbersAfterAnOptionalLetter) {
    struct Case {
        const wchar_t* tag;
        std::array<int, 3> triple;
        bool newer;
    } cases[] = {
        {L"v1.0.1", {1, 0, 1}, true},   {L"V1.0.1", {1, 0, 1}, true},    {L"1.0.0", {1, 0, 0}, false},
        {L"0.9.9", {0, 9, 9}, false},   {L"1.1", {1, 1, 0}, true},       {L"2", {2, 0, 0}, true},
        {L"1.0.0-beta", {1, 0, 0}, false}, {L"1.10.0", {1, 10, 0}, true}, {L"release", {0, 0, 0}, false},
        {L"", {0, 0, 0}, false},        {L"vv2.0.0", {0, 0, 0}, false},  {L"v0.99.99", {0, 99, 99}, false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(versionTriple(c.tag), c.triple) << std::wstring(c.tag).size();
        EXPECT_EQ(isNewerThanProgramVersion(c.tag), c.newer);
    }
}

TEST(UpdateVersions, OutOfRangeComponentsSaturateInsteadOfOverflowing) {
    EXPECT_EQ(versionTriple(L"v99999999999999999999.1.2"), (std::array<int, 3>{INT_MAX, 1, 2}));
    EXPECT_EQ(versionTriple(L"1.-99999999999999999999"), (std::array<int, 3>{1, INT_MIN, 0}));
    EXPECT_TRUE(isNewerThanProgramVersion(L"4294967297"));  // would wrap to 1 in 32 bits
    EXPECT_FALSE(isNewerThanProgramVersion(L"-1.5.0"));
    EXPECT_EQ(versionTriple(std::wstring(L"2\0.0.9", 6)), (std::array<int, 3>{2, 0, 0}));
}

TEST(UpdateVersions, ReadLikeTheWideScanInRange) {
    // Blanks before a number and signs are the scan's own rules; a blank before
    // a dot stops it.
    const wchar_t* tags[] = {L"1.2.3", L" 1. 2.3", L"+1.-2.3", L"1 .2", L"1..2", L"1.2.3.4", L"v 7", L"1.x.3",
                             L"01.002.0003", L"-", L"1.", L"2147483647.0.1"};
    for (const wchar_t* tag : tags) {
        int expected[3] = {0, 0, 0};
        const wchar_t* p = tag;
        if (*p == L'v' || *p == L'V') ++p;
        std::swscanf(p, L"%d.%d.%d", &expected[0], &expected[1], &expected[2]);
        EXPECT_EQ(versionTriple(tag), (std::array<int, 3>{expected[0], expected[1], expected[2]}))
            << std::wstring(tag).size();
    }
}

TEST(UpdateTag, FoundByPlainTextSearch) {
    EXPECT_EQ(extractTagName(R"({"url":"x","tag_name":"v1.2.3","name":"Tallyframe 1.2.3"})"), L"v1.2.3");
    EXPECT_EQ(extractTagName("{\"tag_name\" :\n  \"1.0.0\"}"), L"1.0.0");
    EXPECT_EQ(extractTagName(R"({"tag_name":"a\"b"})"), L"a\\");       // no escapes are decoded
    EXPECT_EQ(extractTagName("{\"tag_name\":\"\xe7\x89\x88\"}"), std::wstring({L'\xe7', L'\x89', L'\x88'}));
    EXPECT_EQ(extractTagName(R"({"tag_name":""})"), L"");
    // The first key wins, even inside another value.
    EXPECT_EQ(extractTagName(R"({"assets":[{"tag_name":"old"}],"tag_name":"new"})"), L"old");
    EXPECT_EQ(extractTagName(R"({"body":"see \"tag_name\"","tag_name":"new"})"), L"new");
}

TEST(UpdateTag, TruncatedAndHostileBodiesNeverReadPastTheEnd) {
    const char* bodies[] = {
        "",
        "short",
        "{\"tag_name\"",          // stops after the key
        "{\"tag_name\":",         // after the colon
        "{\"tag_name\": \"v1.0",  // inside the quotes
        "{\"tag_name\" 1.0.0}",   // no colon
        "{\"tag\":\"v9.9.9\"}",   // another key
        "{\"tag_name\":12345678}",
    };
    for (const char* b : bodies) EXPECT_FALSE(extractTagName(b).has_value()) << b;
    // A key that only starts within the body's last bytes.
    std::string cut = std::string(100, ' ') + "\"tag_na";
    EXPECT_FALSE(extractTagName(std::string_view(cut.data(), cut.size())).has_value());
}

TEST(UpdateTag, OnlyTheFirstMebibyteIsSearched) {
    std::string body(kTagSearchLimit - 10, ' ');
    body += R"("tag_name":"v2.0.0")";  // ends just past the limit: its closing quote is cut off
    EXPECT_FALSE(extractTagName(body).has_value());
    std::string inside(kTagSearchLimit - 40, ' ');
    inside += R"("tag_name":"v2.0.0")";
    EXPECT_EQ(extractTagName(inside), L"v2.0.0");
}

}  // namespace
}  // namespace tf
