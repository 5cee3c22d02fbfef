/* The module's binary interface: every name the host resolves in korvalen.so,
 * with C linkage. Nothing else in the image is visible. C and C++; in C the
 * records are incomplete types (their layouts are in records.hpp, C++). */
#ifndef KORVALEN_MODULE_EXPORTS_H
#define KORVALEN_MODULE_EXPORTS_H

#define KORVALEN_EXPORT __attribute__((visibility("default")))

#ifdef __cplusplus
#include <cstdint>

#include "records.hpp"
#define KORVALEN_RECORD(cxx, c) module::cxx
extern "C" {
#else
#include <stdint.h>
#define KORVALEN_RECORD(cxx, c) struct c
#endif

// Entry point and image information.
KORVALEN_EXPORT void* mcn_main(void* gcb, void* pidb);
KORVALEN_EXPORT void himodcn(void);
KORVALEN_EXPORT void tkvercn1(void* destination);  // copies 208 bytes

KORVALEN_EXPORT extern const KORVALEN_RECORD(ImageInformation, korvalen_image_information) vi_mcn;
KORVALEN_EXPORT extern const KORVALEN_RECORD(ModuleList, korvalen_module_list) mcn_pcns;
KORVALEN_EXPORT extern const KORVALEN_RECORD(ModuleRecord, korvalen_module_record) pcn_KORVALEN;
KORVALEN_EXPORT extern void* v_global_gcb_anchor;
KORVALEN_EXPORT extern void* v_global_pidb_anchor;
KORVALEN_EXPORT extern void* Exported_TKHandle;

// Function registration.
KORVALEN_EXPORT void* korvalen(int32_t request);
KORVALEN_EXPORT void* xfmuent(int32_t request, int32_t count, const void* items,
                              void* const* implementations);

// LJUNGCV(n, alpha [, method]).
KORVALEN_EXPORT int32_t uwfljungcv(void* argument_record, double* result);

// Numerical routines: every argument by reference.
KORVALEN_EXPORT double setcvl_(int64_t* n, double* alpha);
KORVALEN_EXPORT double setcv_(int64_t* n, double* alpha);
KORVALEN_EXPORT double ppnd_(double* p, int64_t* fault);
KORVALEN_EXPORT void lassol_(int64_t* n, double* a, double* b, int64_t* lda, double* x,
                             int64_t* ifault);
KORVALEN_EXPORT int64_t dpeq_(double* a, double* b);
KORVALEN_EXPORT int64_t dpeq_M(double* a, double* b);

// String utilities on host fields (address and 32-bit length, blank padded).
KORVALEN_EXPORT void wzstjls(char* field, int32_t length, int32_t mode, int32_t* trimmed_length,
                             int32_t* offset);
KORVALEN_EXPORT int32_t wzstndx(const char* field, int32_t length, const char* pattern,
                                int32_t pattern_length);
KORVALEN_EXPORT int32_t wztxxlt(int32_t index, const char* input, char* output, int32_t length);
KORVALEN_EXPORT int32_t wzstlen(const char* string);

// Host-service stubs.
KORVALEN_EXPORT int64_t wzstrlo(char* buffer, int32_t length);
KORVALEN_EXPORT int64_t wzstrup(char* buffer, int32_t length);
KORVALEN_EXPORT int64_t wzsxcch(const char* input, int32_t input_length, char* output,
                                int32_t output_length, int32_t mode);
KORVALEN_EXPORT int64_t wzsxrch(const char* input, int32_t input_length, char* output,
                                int32_t output_length, int32_t mode);
KORVALEN_EXPORT int64_t xexit(int32_t code, int32_t detail);

#ifdef __cplusplus
}  // extern "C"
#endif

#endif /* KORVALEN_MODULE_EXPORTS_H */
