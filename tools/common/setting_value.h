// Whether a value, written as the text of a key, is what the module will
// read: the edits of `atmosphere-sim set` and of the report page's fields are
// held to it, so that neither writes a value the module takes otherwise.
#pragma once

#include <string>
#include <string_view>

#include "config/setting_keys.h"

// How the module would take `value` for `key` differently from what it
// says ("reads as 0.5 and ignores \",0\"; the decimal point is \".\""), with
// what to write instead; empty when it reads as written.
std::string ValueMisread(const SettingKey& key, std::string_view value);
