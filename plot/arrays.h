// Array helpers of the strip chart's history.
#pragma once

// Results of the array helpers.
enum { ARRAY_OK = 0, ARRAY_SIZE_ERR = -20001, ARRAY_SHIFT_ERR = -20002 };

// A plain copy of n doubles; in and out may be the same array. n < 1 is an
// error and copies nothing.
int Copy1D(const double* in, int n, double* out);

// Moves the n elements of `in` by k places into `out` (k < 0: towards index
// 0, dropping the first |k|; k > 0: towards the end, dropping the last k),
// filling the |k| vacated places with 0. Works in place. n < 1 or |k| >= n
// is an error and leaves `out` untouched.
int Shift(const double* in, int n, int k, double* out);
