// Faces of a job: the curves that bound a face must take matching element
// counts (mapped: opposite sides equal; paved: an even total), chosen for the
// whole job by the library's interval assignment.
#pragma once

#include <vector>

#include "job.h"
#include "json_read.h"
#include "run_job.h"

namespace linegen_tool {

// Reads the job's "faces" list; curves are named by "name" or by their
// position in "curves".
std::vector<FaceJob> read_faces(json_read::json const& v, std::vector<CurveJob> const& curves);

// Meshes the job's curves once alone (their counts are the goals), assigns
// the counts over all faces, then meshes every curve with exactly its count.
// A curve that cannot keep its count, or faces that no counts satisfy, make
// a fault.
RunResult run_with_faces(Job const& job, RunOptions const& options);

}  // namespace linegen_tool
