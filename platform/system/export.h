// Marks the entry points a module exports; everything else stays hidden.
#pragma once

#define QM_EXPORT extern "C" __attribute__((visibility("default")))
