#pragma once
// SHA-256's compression function, one per kind of processor (core/sha256.h
// picks one). Each takes count whole 64-byte blocks.

#include <cstddef>
#include <cstdint>

void sha256_rounds_portable(std::uint32_t state[8], const std::uint8_t* blocks, std::size_t count);

// Whether the processor has the SHA extensions (and the SSE levels they go
// with). Always false where they do not exist.
bool sha256_cpu_has_instructions();
// Only where sha256_cpu_has_instructions().
void sha256_rounds_cpu(std::uint32_t state[8], const std::uint8_t* blocks, std::size_t count);

extern const std::uint32_t sha256_round_constants[64];
