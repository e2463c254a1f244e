#pragma once

namespace skywell
{
// Version text written to the log at every start.
inline constexpr const char *kVersionText = "5.02";
} // namespace skywell
