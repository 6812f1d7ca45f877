#include "payload/xxh3.h"

#define XXH_INLINE_ALL
#include "xxhash.h"

static_assert(sizeof(XXH3_state_t) <= Xxh3Stream::state_size, "Xxh3Stream holds an XXH3 state");
static_assert(alignof(XXH3_state_t) <= alignof(Xxh3Stream), "Xxh3Stream aligns it");

namespace {

XXH3_state_t* state(unsigned char* bytes) { return reinterpret_cast<XXH3_state_t*>(bytes); }
const XXH3_state_t* state(const unsigned char* bytes) { return reinterpret_cast<const XXH3_state_t*>(bytes); }

}  // namespace

std::uint64_t xxh3_64(const void* data, std::size_t size) { return XXH3_64bits(data, size); }

void Xxh3Stream::reset() {
  // The seed-free reset leaves the pointer to the default secret inside the state.
  XXH3_INITSTATE(state(state_));
  XXH3_64bits_reset(state(state_));
}

void Xxh3Stream::update(const void* data, std::size_t size) {
  if (size > 0) XXH3_64bits_update(state(state_), data, size);
}

std::uint64_t Xxh3Stream::digest() const { return XXH3_64bits_digest(state(state_)); }
