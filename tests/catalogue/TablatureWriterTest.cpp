#include "catalogue/TablatureWriter.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <thread>
#include <vector>

namespace {

// Rows are told apart by their year; the store function records the years it is given.
struct TRecorder {
    std::vector<int> Years;
    std::thread::id Thread;
    int FailAt = -1;
    TTablatureWriter::TStoreRow Function() {
        return [this](const TabInfo& row) {
            Thread = std::this_thread::get_id();
            if (row.Year == FailAt)
                throw std::runtime_error("disk gone");
            Years.push_back(row.Year);
            // Now and then slower than the reader, so that the ring fills up.
            if (row.Year % 200 == 0)
                std::this_thread::yield();
        };
    }
};

std::vector<int> Range(int count) {
    std::vector<int> v;
    for (int i = 0; i < count; ++i)
        v.push_back(i);
    return v;
}

TEST(TablatureWriter, StoresEveryPushedRowInOrderOnItsOwnThread) {
    TRecorder recorder;
    {
        TTablatureWriter writer(recorder.Function());
        for (int i = 0; i < 2000; ++i) {
            writer.Reserve().Year = -1; // passed over, as for a file that fails to read
            writer.Reserve().Year = i;
            writer.Push(false);
            writer.Push(true);
        }
        writer.Finish();
        EXPECT_EQ(recorder.Years, Range(2000));
        EXPECT_NE(recorder.Thread, std::this_thread::get_id());
    }
    // Left without Finish, as when the walk raises: the queued rows are still stored.
    recorder.Years.clear();
    {
        TTablatureWriter writer(recorder.Function());
        for (int i = 0; i < 5; ++i) {
            writer.Reserve().Year = i;
            writer.Push(true);
        }
    }
    EXPECT_EQ(recorder.Years, Range(5));
}

TEST(TablatureWriter, FailureIsRaisedOnceOnTheReadersThread) {
    TRecorder recorder;
    recorder.FailAt = 10;
    int raised = 0;
    {
        TTablatureWriter writer(recorder.Function());
        for (int i = 0; i < 2000; ++i) {
            try {
                writer.Reserve().Year = i;
                writer.Push(true);
            } catch (const std::runtime_error& e) {
                EXPECT_STREQ(e.what(), "disk gone");
                ++raised;
            }
        }
        try {
            writer.Finish();
        } catch (const std::runtime_error& e) {
            EXPECT_STREQ(e.what(), "disk gone");
            ++raised;
        }
    }
    EXPECT_EQ(raised, 1);
    EXPECT_EQ(recorder.Years, Range(10));
}

} // namespace
