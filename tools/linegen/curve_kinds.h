// The kinds of curve a job may hold: for each its name in the job file, the
// fields it takes and the reader that fills a CurveJob from them. Adding a
// kind means one entry here, its reader, and its library call.
#pragma once

#include <string>
#include <vector>

#include "job.h"
#include "json_read.h"

namespace linegen_tool {

// A field of a curve object; `dimension` 2 or 3 when it exists only in jobs
// of that dimension.
struct CurveField {
  std::string name;
  int dimension = 0;
};

// Where a curve is read: its place in the job, the job's dimension and node
// count, and how messages name it ("a spline curve").
struct CurveContext {
  std::string place;
  int dimension = 2;
  unsigned int node_count = 0;
  std::string kind_text;
  std::string what;
  std::string field(char const* key) const { return json_read::with_field(place, key); }
};

struct CurveKind {
  Kind kind;
  char const* name;
  // The fields besides "kind", "name" and "comment", separated by spaces;
  // "angle@2" exists only in 2D jobs.
  char const* fields;
  void (*read)(CurveJob& c, json_read::json const& v, CurveContext const& at);
  std::vector<CurveField> field_list() const;
};

std::vector<CurveKind> const& curve_kinds();
CurveKind const* curve_kind(std::string const& name);
// "line, straight, ... or extrude_rotate", for messages.
std::string curve_kind_list();
// The fields of `kind` in a job of `dimension`, "kind", "name", "comment" first.
std::vector<std::string> curve_fields(CurveKind const& kind, int dimension);
// Every field that some kind takes in some dimension.
std::vector<std::string> all_curve_fields();

}  // namespace linegen_tool
