// What the module offers, declared as static registrants. Each one, when constructed at
// load time, appends itself to the SDK's registration list of its kind; the first time
// the host asks for the module signature, the SDK turns every registrant into a record
// the host reads (names, descriptions, credits) and creates objects through.
// The order of the definitions is the order of the records.
#include "FractionImpl.h"
#include "Scale.h"
#include "sdk/registration/BlockClassRegistrant.h"
#include "sdk/registration/Registrants.h"

namespace {

constexpr std::uint16_t kEnglish = 1033;  // texts given for en-US serve every language
constexpr const char* kAuthor = "SdkExample_author";
constexpr const char* kLicence = "SdkExample_licence";
constexpr const char* kCompany = "SdkExample_company";

// A chain on a temporary: identifier, a language entry with its texts, back to the
// registrant with owner(), credits, the create function; then copied into the static.
Vtx::datatype_class_registrant fractionDatatype =
    Vtx::datatype_class_registrant(kFractionClassId)
        .language(kEnglish)
        .name("Fraction")
        .description("A fraction of two 32-bit integers in lowest terms")
        .owner()
        .authors().add(kAuthor)
        .licences().add(kLicence)
        .companies().add(kCompany)
        .factory(&CreateFractionObject);

Vtx::block_class_registrant scaleBlock =
    Vtx::block_class_registrant("Scale")
        .language(kEnglish)
        .name("Scale")
        .description("A block which multiplies a fraction by an integer factor")
        .library_path("Arithmetic")
        .owner()
        .authors().add(kAuthor)
        .companies().add(kCompany)
        .licences().add(kLicence)
        .factory(&CreateScaleObject);

// The catalog itself: its identifier is the catalog id of every class above.
Vtx::catalog_class_registrant sdkExampleCatalog =
    Vtx::catalog_class_registrant(kFractionCatalogId)
        .language(kEnglish)
        .name("SdkExample")
        .description("A worked example of a catalog written on the SDK")
        .owner();

// The credits the classes name by identifier.
Vtx::author_registrant author =
    Vtx::author_registrant(kAuthor).language(kEnglish).name("A. Newcomer").description("Example author").owner();
Vtx::company_registrant company =
    Vtx::company_registrant(kCompany).language(kEnglish).name("Example Co").description("Example company").owner();
Vtx::licence_registrant licence =
    Vtx::licence_registrant(kLicence).language(kEnglish).name("Example Licence").description("Free to copy").owner();

} // namespace
