// libspng's encoder as when it fails, for a test to preload into ptool.
#include <spng.h>

extern "C" int spng_encode_image(spng_ctx*, const void*, size_t, int, int) { return SPNG_EINTERNAL; }
