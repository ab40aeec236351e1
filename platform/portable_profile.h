// A portable reader of Windows profile (INI) files, giving the same results
// as GetPrivateProfileIntA and GetPrivateProfileStringA on everything a file
// can hold. It implements platform::ReadProfile wherever the Windows
// functions are missing: one streaming pass over the file per batch, fixed
// buffers, no heap.
#pragma once

#include "platform/platform.h"
