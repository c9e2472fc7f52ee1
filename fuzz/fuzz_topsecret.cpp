// The TopSecret row parser and the row import on any bytes.
#include "fuzz_rows.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    return tessarin::fuzz::FuzzRows(tessarin::ExchangeFormat::TopSecret, data, size);
}
