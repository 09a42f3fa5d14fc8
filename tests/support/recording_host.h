#pragma once
// A stitch worker's host for tests: records what the worker tells the GUI
// thread, in order, and advances a fake clock by 7 at each tick so that the
// measured durations are known.

#include <cstdint>
#include <string>
#include <vector>

#include "core/stitch/stitch_worker.h"

namespace tf::test {

class RecordingHost : public StitchWorkerHost {
public:
    explicit RecordingHost(std::wstring stamp = L"20261207-084712") : stamp_(std::move(stamp)) {}
    std::vector<std::string> events;
    uint64_t now = 1000;
    uint64_t tickCount() override {
        now += 7;
        return now;
    }
    std::wstring timestamp() override { return stamp_; }
    void storeSavingStage(int32_t stage) override { events.push_back("stage" + std::to_string(stage)); }
    void postOverlayRedraw() override { events.push_back("redraw"); }

private:
    std::wstring stamp_;
};

}  // namespace tf::test
