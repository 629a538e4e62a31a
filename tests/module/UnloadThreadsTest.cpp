// Threads that outlive the module: a host attaches the module on one thread, reads texts on
// another, detaches and unloads it on a third, and only then lets the first two end. Their
// per-thread records must not point into the unmapped module.
#include <gtest/gtest.h>

#include <dlfcn.h>

#include <condition_variable>
#include <cstdlib>
#include <mutex>
#include <string>
#include <thread>

#include "vtx/ClassInfo.h"
#include "vtx/Collection.h"
#include "vtx/DllSignature.h"
#include "vtx/Exports.h"

namespace {

// One step that a thread waits for and another allows.
class Gate {
public:
    void Open() {
        std::lock_guard<std::mutex> lock(mutex_);
        open_ = true;
        changed_.notify_all();
    }
    void Wait() {
        std::unique_lock<std::mutex> lock(mutex_);
        changed_.wait(lock, [&] { return open_; });
    }

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    bool open_ = false;
};

// Runs in a child process, so that a crash at thread end fails the test instead of the run.
// Exits 0 when every step worked, with a distinct status for each step that did not.
void AttachReadUnloadThenEndThreads() {
    void* handle = nullptr;
    VtxDllMainFn dllMain = nullptr;
    Gate attached, read, unloaded;
    int status = 0;
    std::thread attacher([&] {
        handle = dlopen(VTX_MODULE_PATH, RTLD_NOW | RTLD_LOCAL);
        if (handle) dllMain = reinterpret_cast<VtxDllMainFn>(dlsym(handle, "DllMain"));
        if (!dllMain || dllMain(handle, 1, nullptr) != 1) status = 10;
        attached.Open();
        unloaded.Wait();  // this thread ends only after the unload
    });
    std::thread reader([&] {
        attached.Wait();
        if (status == 0) {
            auto getSignature =
                reinterpret_cast<VtxGetDllSignatureFn>(dlsym(handle, "VtxUserDll_GetDllSignature"));
            Vtx::IDllSignature* signature = getSignature ? getSignature(1033) : nullptr;
            Vtx::ILibraryObjectClassInfo* block =
                signature ? signature->GetBlockClasses()->GetItemByClassId("Vector") : nullptr;
            // A computed text: it lives in this thread's text record.
            if (!block || std::string(block->GetName()) != "Vector") status = 11;
        }
        read.Open();
        unloaded.Wait();
    });
    read.Wait();
    if (status == 0 && dllMain(handle, 0, nullptr) != 1) status = 12;
    if (handle && dlclose(handle) != 0) status = 13;
    // The module is gone from the process (nothing kept it mapped).
    if (status == 0 && dlopen(VTX_MODULE_PATH, RTLD_NOW | RTLD_NOLOAD)) status = 14;
    unloaded.Open();
    attacher.join();
    reader.join();
    std::exit(status);
}

TEST(UnloadedModule, ThreadsThatAttachedAndReadTextsEndAfterTheUnload) {
    EXPECT_EXIT(AttachReadUnloadThenEndThreads(), ::testing::ExitedWithCode(0), "");
}

}  // namespace
