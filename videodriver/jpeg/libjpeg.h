// The JPEG library's headers, in the order they need: jpeglib.h expects
// size_t and FILE to be declared before it.
#pragma once

#include <cstddef>
#include <cstdio>

#include <jerror.h>
#include <jpeglib.h>
