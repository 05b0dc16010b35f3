// A device bench for the deployment tests: a folder-backed device on a
// hand-moved clock, a recorder of the calls the wizard makes to it, and a
// tick wait whose every tick moves the clock one second and then lets the
// connection's worker settle, so the tests see the ticks a real wait would
// see without waiting for them.
#pragma once

#include <atomic>
#include <chrono>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "activesync/device_connection.h"
#include "common/ansi_text.h"
#include "tests/support/folder_remote_device.h"
#include "tests/support/temp_folder.h"

namespace zk::test {

class ManualClock {
public:
    std::chrono::steady_clock::time_point Now() const {
        return std::chrono::steady_clock::time_point(std::chrono::nanoseconds(ns_.load()));
    }
    void Advance(std::chrono::milliseconds by) {
        ns_ += std::chrono::duration_cast<std::chrono::nanoseconds>(by).count();
    }

private:
    std::atomic<std::int64_t> ns_{1'000'000'000'000};
};

// Passes every call on and writes it down, one line per call.
class RecordingRemoteDevice : public RemoteDevice {
public:
    explicit RecordingRemoteDevice(RemoteDevice& inner) : inner_(inner) {}

    HResult CeRapiInit() override {
        Note("CeRapiInit");
        return inner_.CeRapiInit();
    }
    HResult CeRapiUninit() override {
        Note("CeRapiUninit");
        return inner_.CeRapiUninit();
    }
    RemoteHandle CeCreateFile(std::u16string_view path, std::uint32_t access, std::uint32_t share,
                              std::uint32_t creation, std::uint32_t attributes) override {
        Note("CeCreateFile " + AnsiFromWide(path));
        return inner_.CeCreateFile(path, access, share, creation, attributes);
    }
    bool CeWriteFile(RemoteHandle file, const void* buffer, std::uint32_t bytes,
                     std::uint32_t* written) override {
        Note("CeWriteFile " + std::to_string(bytes));
        return inner_.CeWriteFile(file, buffer, bytes, written);
    }
    bool CeCloseHandle(RemoteHandle handle) override {
        Note("CeCloseHandle");
        return inner_.CeCloseHandle(handle);
    }
    bool CeCreateProcess(std::u16string_view program, std::u16string_view commandLine,
                         RemoteProcessInfo* info) override {
        Note("CeCreateProcess " + AnsiFromWide(program) + "|" + AnsiFromWide(commandLine));
        return inner_.CeCreateProcess(program, commandLine, info);
    }
    RemoteHandle CeFindFirstFile(std::u16string_view pattern, RemoteFindData* data) override {
        Note("CeFindFirstFile " + AnsiFromWide(pattern));
        return inner_.CeFindFirstFile(pattern, data);
    }
    bool CeFindNextFile(RemoteHandle search, RemoteFindData* data) override {
        return inner_.CeFindNextFile(search, data);
    }
    bool CeFindClose(RemoteHandle search) override {
        Note("CeFindClose");
        return inner_.CeFindClose(search);
    }

    std::vector<std::string> Calls() {
        std::lock_guard<std::mutex> hold(lock_);
        return calls_;
    }
    // The calls that begin with `prefix`.
    std::vector<std::string> CallsStartingWith(const std::string& prefix) {
        std::vector<std::string> matching;
        for (const std::string& call : Calls())
            if (call.rfind(prefix, 0) == 0) matching.push_back(call);
        return matching;
    }
    void Forget() {
        std::lock_guard<std::mutex> hold(lock_);
        calls_.clear();
    }

private:
    void Note(std::string call) {
        std::lock_guard<std::mutex> hold(lock_);
        calls_.push_back(std::move(call));
    }

    RemoteDevice& inner_;
    std::mutex lock_;
    std::vector<std::string> calls_;
};

class DeviceBench : public ::testing::Test {
protected:
    // Until the attempt under way has returned, or waits for an answer that
    // is not yet due.
    void SettleAttempt() {
        auto until = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while (!connection.attemptDone() && device.WaitingInitCalls() == 0) {
            ASSERT_LT(std::chrono::steady_clock::now(), until) << "the attempt never settled";
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    }

    std::string DeviceFile(const std::string& relative) { return ReadFileBytes(root / relative); }

    TempFolder root;
    ManualClock clock;
    FolderRemoteDevice device{root.path(), [this] { return clock.Now(); }};
    RecordingRemoteDevice recorder{device};
    int ticks = 0;
    // Runs at each tick, after the clock has moved.
    std::function<void()> onTick;
    SleepingTickWait wait{[this](std::chrono::milliseconds interval) {
        ++ticks;
        clock.Advance(interval);
        device.ClockMoved();
        SettleAttempt();
        if (onTick) onTick();
    }};
    DeviceConnection connection{recorder, wait};
};

}  // namespace zk::test
