// Module entry and image information: mcn_main stores the host's anchors and
// returns vi_mcn, the head of the chain vi_mcn -> mcn_pcns -> pcn_KORVALEN ->
// korvalen. The records are constant data with byte-exact layouts.
#include <cstring>

#include "build_info.hpp"
#include "module/exports.h"
#include "module/gcb.hpp"

namespace module {
namespace {

// Width of a text literal without its terminator.
template <std::size_t N>
constexpr std::size_t width(const char (&)[N]) {
  return N - 1;
}

static_assert(width(KORVALEN_RELEASE_NUMBER) == 4);
static_assert(width(KORVALEN_RELEASE_ID) == 16);
static_assert(width(KORVALEN_RELEASE_ID_LONG) == 18);
static_assert(width(KORVALEN_BUILD_DATE) == 11);
static_assert(width(KORVALEN_BUILD_STAMP) == 28);

constexpr char kLegalNotice[] = " Copyright (c) 2026 the korvalen developers. All rights reserved.";
constexpr char kReleaseIdLong[] = KORVALEN_RELEASE_ID_LONG;
constexpr char kBuildTree[] = "/korvalen/module:/korvalen/rel";
constexpr char kEmpty[] = "";
constexpr char kComponent[] = "kvl";
constexpr char kToken5[] = "KVL" KORVALEN_RELEASE_DIGITS "R1";
constexpr char kToken7[] = "KORVALEN-MODULE/" KORVALEN_RELEASE_DIGITS;
constexpr char kVersion[] = "version";
constexpr char kSeparator[] = "::";
constexpr char kHotfix[] = "ZOR_VERSION_HOTFIX_NUMBER=                                       ";
constexpr char kToken13[] = "KVL#MODULE" KORVALEN_RELEASE_NUMBER "LJUNGC";
constexpr char kImageDescription[] =
    "VERCON_IMAGE_DESCRIPTION=                                        ";
constexpr char kBuilder[] = "kvbld";
constexpr char kBuildStamp[] = KORVALEN_BUILD_STAMP;

static_assert(width(kBuildTree) == 30);
static_assert(width(kComponent) == 3);
static_assert(width(kToken5) == 8);
static_assert(width(kToken7) == 19);
static_assert(width(kToken13) == 20);
static_assert(width(kHotfix) == 65);
static_assert(width(kImageDescription) == 65);
static_assert(width(kBuilder) == 5);

constinit const VersionControlBlock info = {
    .release_id = kReleaseIdLong,
    .build_tree = kBuildTree,
    .empty2 = kEmpty,
    .build_time = KORVALEN_BUILD_TIME,
    .component = kComponent,
    .token5 = kToken5,
    .component_again = kComponent,
    .token7 = kToken7,
    .empty8 = kEmpty,
    .version = kVersion,
    .separator = kSeparator,
    .empty11 = kEmpty,
    .hotfix = kHotfix,
    .token13 = kToken13,
    .image_description = kImageDescription,
    .builder = kBuilder,
    .build_stamp = kBuildStamp,
    .reserved = {},
};

}  // namespace
}  // namespace module

extern "C" {

KORVALEN_EXPORT void* v_global_gcb_anchor = nullptr;
KORVALEN_EXPORT void* v_global_pidb_anchor = nullptr;
KORVALEN_EXPORT void* Exported_TKHandle = nullptr;

constinit const module::ModuleRecord pcn_KORVALEN = {
    .marker = 0xFFFFFFFFFFFF0000u,
    .fixed1024a = 1024,
    .fixed1024b = 1024,
    .name = {'k', 'o', 'r', 'v', 'a', 'l', 'e', 'n'},
    .reserved0 = 0,
    .entry = korvalen,
    .fixed1 = 1,
    .fixed9683 = 9683,
    .fixed5345781 = 5345781,
    .fixed15 = 15,
};

constinit const module::ModuleList mcn_pcns = {
    .modules = {&pcn_KORVALEN, nullptr},
};

constinit const module::ImageInformation vi_mcn = {
    .marker = KORVALEN_IMAGE_MARKER,
    .magic = module::kImageMagic,
    .reserved0 = 0,
    .eight = 8,
    .release_number = KORVALEN_RELEASE_NUMBER,
    .release_id = KORVALEN_RELEASE_ID,
    .build_date = KORVALEN_BUILD_DATE,
    .module_list = &mcn_pcns,
    .legal_notice = module::kLegalNotice,
    .tag = "001",
};

KORVALEN_EXPORT void himodcn(void) {}

KORVALEN_EXPORT void* mcn_main(void* gcb, void* pidb) {
  v_global_gcb_anchor = gcb;
  v_global_pidb_anchor = pidb;
  himodcn();
  Exported_TKHandle = module::gcb::member(module::gcb::GCB_TKHANDLE);
  return const_cast<module::ImageInformation*>(&vi_mcn);
}

KORVALEN_EXPORT void tkvercn1(void* destination) {
  std::memcpy(destination, &module::info, sizeof module::info);
}

}  // extern "C"
