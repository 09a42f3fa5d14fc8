// The direction field of the capture log's header: written for sideways
// captures only, read back whatever else the header holds.

#include <gtest/gtest.h>

#include <sstream>

#include "core/capture/capture_log.h"

namespace tf {
namespace {

TEST(CaptureLogDirection, OnlyASidewaysCaptureAddsTheField) {
    std::ostringstream down, right;
    writeCaptureLogHeader(down, 3, -120, ScrollMethod::Wheel, ScrollDirection::Down);
    writeCaptureLogHeader(right, 3, -120, ScrollMethod::Wheel, ScrollDirection::Right);
    EXPECT_EQ(down.str(), "wheelScrollLines=3 wheelDelta=-120 scrollMethod=wheel\r\n");
    EXPECT_EQ(right.str(), "wheelScrollLines=3 wheelDelta=-120 scrollMethod=wheel direction=right\r\n");
    EXPECT_EQ(captureLogDirectionField(ScrollDirection::Down), "");
}

TEST(CaptureLogDirection, TheReaderTakesAnyOrderAndSkipsWhatItDoesNotKnow) {
    struct Case {
        const char* header;
        std::optional<ScrollDirection> direction;
    } cases[] = {
        {"wheelScrollLines=3 wheelDelta=-120", ScrollDirection::Down},
        {"wheelScrollLines=3 wheelDelta=-120 direction=right", ScrollDirection::Right},
        {"wheelScrollLines=3 wheelDelta=-120 direction=right\r\n", ScrollDirection::Right},
        {"wheelScrollLines=3 wheelDelta=-120 direction=down", ScrollDirection::Down},
        {"direction=right wheelScrollLines=3", ScrollDirection::Right},
        {"wheelScrollLines=3 scrollMethod=hwheel wheelDelta=-120 direction=right", ScrollDirection::Right},
        {"wheelScrollLines=3  direction=right", ScrollDirection::Right},
        {"scrollDirection=right wheelDelta=-120", ScrollDirection::Down},  // another key that ends alike
        {"", ScrollDirection::Down},
        {"wheelScrollLines=3 direction=left", std::nullopt},
        {"wheelScrollLines=3 direction=", std::nullopt},
        {"wheelScrollLines=3 direction=Right", std::nullopt},
    };
    for (const Case& c : cases) EXPECT_EQ(captureLogHeaderDirection(c.header), c.direction) << c.header;
}

TEST(CaptureLogDirection, WhatIsWrittenIsReadBack) {
    for (const ScrollDirection d : {ScrollDirection::Down, ScrollDirection::Right}) {
        std::ostringstream out;
        writeCaptureLogHeader(out, 4294967295u, -30, ScrollMethod::None, d);
        EXPECT_EQ(captureLogHeaderDirection(out.str()), d);
    }
}

}  // namespace
}  // namespace tf
