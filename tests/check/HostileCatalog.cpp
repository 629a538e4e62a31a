// A catalog for the tests of how the host stands up to a module that attacks it while it
// loads or describes itself. Compiled once and linked into one module per behaviour; the
// catalog word of the module's identifier names it:
//   HOSTILEMANY       VTX_HOSTILE_CLASSES block classes (3 when unset), for the time a
//                     check or a patch load takes as a catalog grows
//   HOSTILESTDOUT     prints a forged listing line on standard output while it loads
//   HOSTILEHANG       while it loads: stops any alarm, ignores SIGALRM and never returns
//   HOSTILEFORK       while it loads: starts a process that keeps every descriptor open
//                     and lives for five minutes
//   HOSTILETHROW      a static constructor throws an int through the dynamic loader
//   HOSTILEFOREIGN    creating its block throws an int, which is no exception of any kind
//                     the host knows
//   HOSTILEBADID      its catalog id holds a byte that is not UTF-8
#include <signal.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <new>
#include <string>

#include "module/ModuleIdentity.h"

#include "sdk/block/BlockImplBase.h"
#include "sdk/block/PinDescription.h"
#include "sdk/registration/BlockClassRegistrant.h"
#include "sdk/registration/Registrants.h"
#include "vtx/KernelDatatypes.h"

namespace {

constexpr std::uint16_t kEnglish = 1033;

bool Is(const char* word) {
    const std::size_t length = std::strlen(word);
    return std::strncmp(Vtx::kModuleIdentifier, word, length) == 0 && Vtx::kModuleIdentifier[length] == '_';
}

// A block with one integer parameter and one output.
class CGain : public Vtx::CBlockImplBase<Vtx::IBlock> {
public:
    explicit CGain(const Vtx::OBJECT_CREATIONCTX* context) : CBlockImplBase(context) {}

protected:
    void InitSignature() override {
        AddParameter(Vtx::pin_description("gain").set_name("Gain").set_description("A gain").attach_int_domain());
        AddOutputPin(Vtx::pin_description("output").set_name("output").set_description("The gain").set_type("kernel", "int"));
    }
    void CheckSignature() override { GetParameterValue<Vtx::IInt>("gain"); }
    bool OnExecute() override { return true; }
};

Vtx::IObject* CreateGain(const Vtx::OBJECT_CREATIONCTX* context) {
    if (Is("HOSTILEFOREIGN")) throw 42;
    return Vtx::TranslateStdExceptions([context]() -> Vtx::IObject* { return new (std::nothrow) CGain(context); });
}

Vtx::catalog_class_registrant catalog =
    Vtx::catalog_class_registrant(Is("HOSTILEBADID") ? "Hostile\xff" : "Hostile").language(kEnglish).name("Hostile").description("A hostile catalog").owner();

Vtx::author_registrant author =
    Vtx::author_registrant("hostile_author").language(kEnglish).name("H. Ostile").description("Author").owner();

// The block classes: "Gain0", "Gain1"...; their names outlive the registrants.
struct BlockClasses {
    BlockClasses() {
        long count = 3;
        if (const char* text = std::getenv("VTX_HOSTILE_CLASSES"); text && Is("HOSTILEMANY")) count = std::atol(text);
        if (count < 1 || count > 100000) count = 3;
        for (long i = 0; i < count; ++i) {
            names.push_back("Gain" + std::to_string(i));
            registrants.push_back(Vtx::block_class_registrant(names.back().c_str())
                                      .language(kEnglish)
                                      .name(names.back().c_str())
                                      .description("A gain")
                                      .library_path("Hostile")
                                      .owner()
                                      .authors().add("hostile_author")
                                      .factory(&CreateGain));
        }
    }
    std::deque<std::string> names;
    std::deque<Vtx::block_class_registrant> registrants;
} blockClasses;

struct LoadTimeBehaviour {
    LoadTimeBehaviour() {
        if (Is("HOSTILESTDOUT")) {
            std::printf("/forged/libForged.so: catalog Forged, SDK 5.1.0, 1 block class, 0 datatype classes\n");
            std::fflush(stdout);
        }
        if (Is("HOSTILEHANG")) {
            alarm(0);
            signal(SIGALRM, SIG_IGN);
            for (;;) pause();
        }
        if (Is("HOSTILEFORK") && fork() == 0) {
            sleep(300);
            _exit(0);
        }
        if (Is("HOSTILETHROW")) throw 7;
    }
} loadTimeBehaviour;

} // namespace
