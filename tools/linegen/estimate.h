// How many elements a job asks for, known before meshing from its sizes and
// lengths, so that a job too large for the machine is refused at once.
#pragma once

#include <optional>

#include "job.h"

namespace linegen_tool {

// About how many elements curve c gives: the integral of 1/size along its
// chain (or its extrusion path), sizes varying linearly between nodes; the
// count itself where one is given. 0 where the library will reject the
// curve's values anyway.
double estimate_elements(Job const& job, CurveJob const& c);

// A fault naming the curve that asks for the most elements when the whole
// job asks for more than `max_elements`.
std::optional<Fault> refuse_large(Job const& job, double max_elements);

// A count for messages: "12345", "1.2e9".
std::string approximate(double count);

}  // namespace linegen_tool
