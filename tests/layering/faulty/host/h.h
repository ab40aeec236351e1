#pragma once
#include "atmosphere/a.h"
