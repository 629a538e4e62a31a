#pragma once
// An object class for collection tests: counts the GetClassId calls made on it (into a
// counter the test owns) and reports its deletion.
#include <atomic>
#include <string>

#include "sdk/object/ReferenceCounting.h"
#include "vtx/ObjectClass.h"

namespace CollectionTesting {

struct Counters {
    std::atomic<int> classIdCalls{0};
    std::atomic<int> deleted{0};
};

class FakeObjectClass : public ulx::default_destroy<ulx::default_delete<ulx::reference_counted_class_impl<Vtx::IObjectClass>>> {
public:
    FakeObjectClass(const char* classId, Counters& counters) : hasId_(classId != nullptr), classId_(classId ? classId : ""), counters_(counters) {}
    ~FakeObjectClass() override { ++counters_.deleted; }

    const char* GetClassId() override {
        ++counters_.classIdCalls;
        return hasId_ ? classId_.c_str() : nullptr;
    }
    const char* GetText1() override { return ""; }
    const char* GetText2() override { return ""; }
    const char* GetText3() override { return ""; }
    const char* GetText4() override { return ""; }
    Vtx::BitmapHandle GetBitmap() override { return nullptr; }
    Vtx::IObjectClass* GetCatalog() override { return nullptr; }

private:
    bool hasId_;
    std::string classId_;
    Counters& counters_;
};

} // namespace CollectionTesting
