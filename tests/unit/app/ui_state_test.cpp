#include <gtest/gtest.h>

#include <set>
#include <utility>

#include "core/app/ui_state.h"

namespace tf {
namespace {

// The table written out by hand, one allowed pair per entry (self-switches
// are added below): H Home, Se Selecting, C Capturing, Sa Saving, R Result,
// F Failed, G SettingsGeneral, Hp SettingsHelp, A SettingsAbout.
std::set<std::pair<int, int>> allowedPairs() {
    enum { H, Se, C, Sa, R, F, G, Hp, A };
    std::set<std::pair<int, int>> p = {
        {H, Se},  {H, G},   {R, Se},  {R, G},   {F, Se},  {F, G},
        {Se, H},  {Se, C},  {Se, R},  {Se, F},
        {C, H},   {C, Sa},  {C, R},   {C, F},
        {Sa, H},  {Sa, R},  {Sa, F},
        {G, H},   {G, R},   {G, F},   {G, Hp},  {G, A},
        {Hp, H},  {Hp, R},  {Hp, F},  {Hp, G},  {Hp, A},
        {A, H},   {A, R},   {A, F},   {A, G},   {A, Hp},
    };
    for (int s = 0; s < 9; ++s) p.insert({s, s});
    return p;
}

TEST(UiTransitions, EveryPairFollowsTheTable) {
    const auto allowed = allowedPairs();
    EXPECT_EQ(allowed.size(), 32u + 9u);
    for (int from = 0; from < 9; ++from) {
        for (int to = 0; to < 9; ++to) {
            EXPECT_EQ(isUiTransitionAllowed(static_cast<UiState>(from), static_cast<UiState>(to)),
                      allowed.count({from, to}) == 1)
                << "from " << from << " to " << to;
        }
    }
}

TEST(UiTransitions, OutOfRangeValuesAreRefused) {
    for (int other : {0, 4, 8}) {
        for (int bad : {9, 10, -1, 1000}) {
            EXPECT_FALSE(isUiTransitionAllowed(static_cast<UiState>(bad), static_cast<UiState>(other))) << bad;
            EXPECT_FALSE(isUiTransitionAllowed(static_cast<UiState>(other), static_cast<UiState>(bad))) << bad;
            EXPECT_FALSE(isUiTransitionAllowed(static_cast<UiState>(bad), static_cast<UiState>(bad))) << bad;
        }
    }
}

TEST(UiTransitions, StateNames) {
    const char* names[] = {"Home",   "Selecting",       "Capturing",    "Saving",       "Result",
                           "Failed", "SettingsGeneral", "SettingsHelp", "SettingsAbout"};
    for (int s = 0; s < 9; ++s) EXPECT_EQ(uiStateName(static_cast<UiState>(s)), names[s]);
    EXPECT_EQ(uiStateName(static_cast<UiState>(9)), "Unknown");
}

}  // namespace
}  // namespace tf
