// The module's binary interface: every name the host resolves in korvalen.so,
// with C linkage. Nothing else in the image is visible.
#pragma once

#include <cstdint>

#include "module/abi.hpp"

#define KORVALEN_EXPORT __attribute__((visibility("default")))

extern "C" {

// Entry point and image information.
KORVALEN_EXPORT void* mcn_main(void* gcb, void* pidb);
KORVALEN_EXPORT void himodcn(void);
KORVALEN_EXPORT void tkvercn1(void* destination);  // copies 208 bytes

KORVALEN_EXPORT extern const kmodule::ImageInformation vi_mcn;
KORVALEN_EXPORT extern const kmodule::ModuleList mcn_pcns;
KORVALEN_EXPORT extern const kmodule::ModuleRecord pcn_KORVALEN;
KORVALEN_EXPORT extern void* v_global_gcb_anchor;
KORVALEN_EXPORT extern void* v_global_pidb_anchor;
KORVALEN_EXPORT extern void* Exported_TKHandle;

// Function registration.
KORVALEN_EXPORT void* korvalen(std::int32_t request);
KORVALEN_EXPORT void* xfmuent(std::int32_t request, std::int32_t count, const void* items,
                              void* const* implementations);

// LJUNGCV(n, alpha [, method]).
KORVALEN_EXPORT std::int32_t uwfljungcv(void* argument_record, double* result);

// Numerical routines: every argument by reference.
KORVALEN_EXPORT double setcvl_(std::int64_t* n, double* alpha);
KORVALEN_EXPORT double setcv_(std::int64_t* n, double* alpha);
KORVALEN_EXPORT double ppnd_(double* p, std::int64_t* fault);
KORVALEN_EXPORT void lassol_(std::int64_t* n, double* a, double* b, std::int64_t* lda, double* x,
                             std::int64_t* ifault);
KORVALEN_EXPORT std::int64_t dpeq_(double* a, double* b);
KORVALEN_EXPORT std::int64_t dpeq_M(double* a, double* b);

// String utilities on host fields (address and 32-bit length, blank padded).
KORVALEN_EXPORT void wzstjls(char* field, std::int32_t length, std::int32_t mode,
                             std::int32_t* trimmed_length, std::int32_t* offset);
KORVALEN_EXPORT std::int32_t wzstndx(const char* field, std::int32_t length, const char* pattern,
                                     std::int32_t pattern_length);
KORVALEN_EXPORT std::int32_t wztxxlt(std::int32_t index, const char* input, char* output,
                                     std::int32_t length);
KORVALEN_EXPORT std::int32_t wzstlen(const char* string);

// Host-service stubs.
KORVALEN_EXPORT std::int64_t wzstrlo(char* buffer, std::int32_t length);
KORVALEN_EXPORT std::int64_t wzstrup(char* buffer, std::int32_t length);
KORVALEN_EXPORT std::int64_t wzsxcch(const char* input, std::int32_t input_length, char* output,
                                     std::int32_t output_length, std::int32_t mode);
KORVALEN_EXPORT std::int64_t wzsxrch(const char* input, std::int32_t input_length, char* output,
                                     std::int32_t output_length, std::int32_t mode);
KORVALEN_EXPORT std::int64_t xexit(std::int32_t code, std::int32_t detail);

}  // extern "C"
