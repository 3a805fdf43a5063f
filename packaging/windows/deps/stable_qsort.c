/* The qsort of the Windows build of libimagequant (its sources are compiled
 * with -Dqsort=varnholt_stable_qsort), so that it gives the palette it gives
 * on Linux.
 *
 * libimagequant sorts its palette by popularity and its nearest-colour tree
 * by distance, and both have ties. glibc's qsort is a stable merge sort,
 * msvcrt's is not: ties came out in another order and the same picture got
 * another palette on Windows than on Linux. This is glibc's merge sort:
 * halves of n/2 and n - n/2 elements, on a tie the left one first, so the
 * comparisons and the result are the ones glibc makes and gives.
 *
 * libimagequant's other runtime calls give the same results: pow and powf
 * come from MinGW's own library (not from msvcrt), and for the gamma ptool
 * uses, the colour table, every 8-bit channel value computed from a float in
 * [0, 2] and the quality curve came out equal to glibc's in a test of every
 * input. */
#include <stdint.h>
#include <stdlib.h>
#include <string.h>

#undef qsort

typedef int (*compare_fn)(const void*, const void*);

static void merge_sort(char* base, size_t n, size_t size, compare_fn compare, char* tmp) {
  if (n <= 1) return;
  size_t n1 = n / 2;
  size_t n2 = n - n1;
  char* b1 = base;
  char* b2 = base + n1 * size;
  merge_sort(b1, n1, size, compare, tmp);
  merge_sort(b2, n2, size, compare, tmp);
  char* out = tmp;
  while (n1 > 0 && n2 > 0) {
    if (compare(b1, b2) <= 0) {
      memcpy(out, b1, size);
      b1 += size;
      --n1;
    } else {
      memcpy(out, b2, size);
      b2 += size;
      --n2;
    }
    out += size;
  }
  /* What is left of the right half already stands in its place. */
  if (n1 > 0) memcpy(out, b1, n1 * size);
  memcpy(base, tmp, (n - n2) * size);
}

void varnholt_stable_qsort(void* base, size_t n, size_t size, compare_fn compare) {
  if (n <= 1 || size == 0) return;
  char* tmp = n <= SIZE_MAX / size ? malloc(n * size) : NULL;
  if (!tmp) {
    /* glibc, too, falls back to a quicksort without memory. */
    qsort(base, n, size, compare);
    return;
  }
  merge_sort(base, n, size, compare, tmp);
  free(tmp);
}
