// A meshing job: the nodes and the list of curves that the `linegen` tool
// meshes, read from a JSON file and checked before any library call.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <vector>

namespace linegen_tool {

// A fault in the input: where it is (`curves[2].chain[3]`, empty for the file
// as a whole) and what is wrong with it.
struct Fault {
  std::string place;
  std::string message;
};

enum class Kind { line, straight, spline, extrude_translate, extrude_rotate };

char const* kind_name(Kind kind);

// How the node list of a spline becomes the library's index list, which has
// one neighbour before the first and one after the last real node.
enum class SplineEnds {
  free_ends,  // the end nodes are repeated as their own neighbours
  closed,     // the list wraps around: the curve returns to its first node
  given       // the chain already holds both neighbours
};

struct CurveJob {
  Kind kind = Kind::line;
  std::string name;   // for tables and pictures; defaults to "curve N"
  std::string place;  // "curves[N]", for messages

  // line, straight, spline: the nodes in order along the curve.
  std::vector<unsigned int> chain;
  SplineEnds ends = SplineEnds::free_ends;
  // line: parameters per chain node (when absent the library uses the
  // normalised chord length).
  std::optional<std::vector<double>> params;
  // One size per chain node, or one metric (3 or 6 packed entries) per chain
  // node stored column after column; at most one of them is given. For a
  // straight curve `elements` may replace both.
  std::optional<std::vector<double>> sizes;
  std::optional<std::vector<double>> metrics;
  std::optional<unsigned int> elements;

  // Options of mesh_line and mesh_spline, with the library's neutral values.
  bool force_even = false;
  unsigned int nmin = 1;
  unsigned int nmax = 4294967295u;
  double chordal_error = 0.0;
  double min_size = 0.0;
  double default_size = 0.0;
  double gradation = 1.7976931348623157e308;

  // Extrusions: a new start point or an existing start node, then either a
  // count or the two end sizes.
  std::optional<unsigned int> start_node;
  std::array<double, 3> start{};
  std::array<double, 3> vector{};    // extrude_translate
  std::array<double, 3> centre{};    // extrude_rotate
  std::array<double, 3> rotation{};  // extrude_rotate in 3D: axis times angle
  double angle = 0.0;                // extrude_rotate in 2D
  std::optional<unsigned int> count;
  double h0 = 0.0, h1 = 0.0;
};

// A face whose bounding curves need matching element counts. Mapped: 4
// sides, side 0's total count equal to side 2's and side 1's to side 3's.
// Paved: the total count over all its loops even.
struct FaceJob {
  std::string name;   // defaults to "face N"
  std::string place;  // "faces[N]", for messages
  bool mapped = true;
  std::vector<std::vector<unsigned int>> sides;  // mapped: the sides; paved: the loops (curve numbers)
};

struct Job {
  int dimension = 2;
  std::vector<double> nodes;  // dimension entries per node, node after node
  std::vector<CurveJob> curves;
  std::vector<FaceJob> faces;

  unsigned int node_count() const { return static_cast<unsigned int>(nodes.size() / dimension); }
};

// Parses and checks a job. Exactly one of the two is set: the job, or the
// first fault found (unknown fields, wrong types, missing or conflicting
// fields, nodes that do not exist, lists of the wrong length). Values that
// the library itself checks (a size that is not positive, nmin above nmax)
// are left to it.
struct ParsedJob {
  std::optional<Job> job;
  std::optional<Fault> fault;
};
ParsedJob parse_job(std::string const& text);

}  // namespace linegen_tool
