// A file named like the capture log is trusted only when it is one: its
// header's first field, single-byte text, one direction at most.

#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "core/capture/capture_log.h"

namespace tf {
namespace {

using Verdict = CaptureLogHeaderReading::Verdict;

TEST(CaptureLogHeader, OnlyACaptureLogsHeaderIsTrusted) {
    const std::string longLine = "wheelScrollLines=3 " + std::string(kCaptureLogHeaderBytes, 'w');
    struct Case {
        const char* name;
        std::string start;
        bool complete;
        Verdict verdict;
        ScrollDirection direction;
        const char* why;  // part of the reason; "" when trusted
    } cases[] = {
        {"a downward capture", "wheelScrollLines=3 wheelDelta=-120 scrollMethod=wheel\r\nacceptedFrame=1", true,
         Verdict::Header, ScrollDirection::Down, ""},
        {"a sideways capture", "wheelScrollLines=3 wheelDelta=-120 scrollMethod=hwheel direction=right\r\n", true,
         Verdict::Header, ScrollDirection::Right, ""},
        {"only a header, no line end", "wheelScrollLines=0 direction=right", true, Verdict::Header,
         ScrollDirection::Right, ""},
        {"the header of a cut read", "wheelScrollLines=3 direction=right\r\nacceptedFr", false, Verdict::Header,
         ScrollDirection::Right, ""},
        {"a UTF-8 byte-order mark", "\xEF\xBB\xBFwheelScrollLines=3 direction=right\r\n", true, Verdict::Header,
         ScrollDirection::Right, ""},
        {"one direction twice", "wheelScrollLines=3 direction=right direction=right\r\n", true, Verdict::Header,
         ScrollDirection::Right, ""},
        {"empty", "", true, Verdict::NotCaptureLog, ScrollDirection::Down, "is empty"},
        {"some text", "hello world\n", true, Verdict::NotCaptureLog, ScrollDirection::Down,
         "does not begin with \"wheelScrollLines=\""},
        {"the key without a number", "wheelScrollLines= direction=right\r\n", true, Verdict::NotCaptureLog,
         ScrollDirection::Down, "does not begin"},
        {"a later field first", "direction=right wheelScrollLines=3\r\n", true, Verdict::NotCaptureLog,
         ScrollDirection::Down, "does not begin"},
        {"UTF-16, little-endian", std::string("\xFF\xFEw\0h\0", 6), true, Verdict::NotCaptureLog,
         ScrollDirection::Down, "is UTF-16 text"},
        {"UTF-16, big-endian", std::string("\xFE\xFF\0w\0h", 6), true, Verdict::NotCaptureLog, ScrollDirection::Down,
         "is UTF-16 text"},
        {"NUL bytes", std::string("wheelScrollLines=3\0\0\r\n", 22), true, Verdict::NotCaptureLog,
         ScrollDirection::Down, "holds NUL bytes"},
        {"a first line without end", longLine, false, Verdict::NotCaptureLog, ScrollDirection::Down,
         "longer than any capture log header (4096 bytes)"},
        {"two directions", "wheelScrollLines=3 direction=down direction=right\r\n", true, Verdict::Refused,
         ScrollDirection::Down, "records two directions in its header, down and right"},
        {"an unknown direction", "wheelScrollLines=3 direction=up\r\n", true, Verdict::Refused, ScrollDirection::Down,
         "names a direction this program does not know"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const CaptureLogHeaderReading r = readCaptureLogHeader(c.start, c.complete);
        EXPECT_EQ(r.verdict, c.verdict);
        if (c.verdict == Verdict::Header) {
            EXPECT_EQ(r.direction, c.direction);
        }
        if (*c.why == '\0') {
            EXPECT_EQ(r.why, "");
        } else {
            EXPECT_NE(r.why.find(c.why), std::string::npos) << r.why;
        }
    }
}

TEST(CaptureLogHeader, WhatACaptureWritesIsTrusted) {
    for (const ScrollDirection d : {ScrollDirection::Down, ScrollDirection::Right}) {
        std::ostringstream out;
        writeCaptureLogHeader(out, 3, -120, ScrollMethod::Wheel, d);
        const CaptureLogHeaderReading r = readCaptureLogHeader(out.str(), true);
        EXPECT_EQ(r.verdict, Verdict::Header);
        EXPECT_EQ(r.direction, d);
    }
}

}  // namespace
}  // namespace tf
