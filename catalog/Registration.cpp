// The catalog's static registrations: its one datatype, its two blocks, the catalog
// itself and its credits. They are all in this one file because the order of their
// definitions is the order of the registration lists, and so of the records the host sees.
#include "catalog/Bitmaps.h"
#include "catalog/IntervalImpl.h"
#include "catalog/LabelledSetIntervalGenerator.h"
#include "catalog/Vector.h"
#include "module/ModuleIdentity.h"
#include "sdk/registration/BlockClassRegistrant.h"
#include "sdk/registration/Registrants.h"

using Vtx::author_registrant;
using Vtx::block_class_registrant;
using Vtx::catalog_class_registrant;
using Vtx::company_registrant;
using Vtx::datatype_class_registrant;
using Vtx::licence_registrant;

const char* const Vtx::kModuleIdentifier = "BRENNICK2010_{6F0C3A52-9D41-4E7B-A8C2-3B5E07D91F64}";

namespace {

constexpr std::uint16_t kEnglish = 1033;
constexpr const char* kAuthor = "Brennick2010_author";
constexpr const char* kLicence = "Brennick2010_license";
constexpr const char* kCompany = "Brennick2010_company";

// The creation functions of the classes.
const auto kCreateInterval = &CreateIntervalObject;
const auto kCreateIntervalInitInfo = &CreateIntervalInitInfoObject;
const auto kCreateLabelledSetIntervalGenerator = &CreateLabelledSetIntervalGeneratorObject;
const auto kCreateVector = &CreateVectorObject;

datatype_class_registrant intervalDatatype =
    datatype_class_registrant("Interval")
        .language(kEnglish)
        .name("Interval")
        .description("An interval in the floating/point domain")
        .owner()
        .authors().add(kAuthor)
        .licences().add(kLicence)
        .companies().add(kCompany)
        .factory(kCreateInterval)
        .init_info_factory(kCreateIntervalInitInfo);

block_class_registrant labelledSetIntervalGeneratorBlock =
    block_class_registrant("LabelledSetIntervalGenerator")
        .language(kEnglish)
        .name("LabelledSetIntervalGenerator")
        .description("A block which generates a labelled set of intervals")
        .library_path("DataStructures.LabelledSet")
        .bitmap(catalog_bitmaps::kLabelledSetIntervalGeneratorBitmapId)
        .owner()
        .authors().add(kAuthor)
        .companies().add(kCompany)
        .licences().add(kLicence)
        .factory(kCreateLabelledSetIntervalGenerator);

catalog_class_registrant brennick2010Catalog =
    catalog_class_registrant("Brennick2010")
        .language(kEnglish)
        .name("Brennick2010")
        .description("A catalog containing objects developed during Brennick 2010")
        .bitmap(catalog_bitmaps::kCatalogBitmapId)
        .owner();

company_registrant corvelCompany =
    company_registrant("Brennick2010_company")
        .language(kEnglish)
        .name("Corvel")
        .description("Corvel Lab dist, univ of Tarlow")
        .owner();

licence_registrant catalogLicence =
    licence_registrant("Brennick2010_license")
        .language(kEnglish)
        .name("Brennick2010 Licence")
        .description("This catalog has the same license of Vantrix Tessel")
        .owner();

author_registrant catalogAuthor =
    author_registrant("Brennick2010_author")
        .language(kEnglish)
        .name("Kestle")
        .description("Orrel")
        .owner();

block_class_registrant vectorBlock =
    block_class_registrant("Vector")
        .language(kEnglish)
        .name("Vector")
        .description("A block which stores an array of datatypes")
        .library_path("DataStructures")
        .bitmap(catalog_bitmaps::kVectorBitmapId)
        .owner()
        .authors().add(kAuthor)
        .companies().add(kCompany)
        .licences().add(kLicence)
        .factory(kCreateVector);

} // namespace
