#pragma once
#include "tools/preview/chart.h"
