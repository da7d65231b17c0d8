// Everything the kernel stand-in offers a driver.
#pragma once

#include "platform/kernel/dispatcher.h"
#include "platform/kernel/io.h"
#include "platform/kernel/irql.h"
#include "platform/kernel/nt_types.h"
#include "platform/kernel/ntstatus.h"
#include "platform/kernel/pool.h"
#include "platform/kernel/registry.h"
#include "platform/kernel/rtl.h"
#include "platform/kernel/spin_lock.h"
#include "platform/kernel/strsafe.h"
#include "platform/kernel/timers.h"
#include "platform/kernel/work_items.h"
