#include "faces.h"

#include <algorithm>
#include <string>

#include <linegen/linegen.h>

#include "library_calls.h"

namespace linegen_tool {

using namespace json_read;

namespace {

// A curve by its name or by its position in "curves".
unsigned int curve_ref(json const& v, std::string const& place, std::vector<CurveJob> const& curves) {
  if (!v.is_string()) {
    if (!v.is_number())
      fail(place, "expected a curve's name or its position in \"curves\", found " + describe(v));
    const unsigned int i = count(v, place, "a curve position");
    if (i >= curves.size())
      fail(place, "there is no curve " + v.dump() + ": the job has " + std::to_string(curves.size()) +
                      " curves, numbered from 0");
    return i;
  }
  const std::string name = v.get<std::string>();
  const auto named = [&](CurveJob const& c) { return c.name == name; };
  const auto first = std::find_if(curves.begin(), curves.end(), named);
  if (first == curves.end()) fail(place, "no curve is named " + in_quotes(name));
  if (std::count_if(curves.begin(), curves.end(), named) > 1)
    fail(place, "several curves are named " + in_quotes(name) + ": give the curve's position in \"curves\"");
  return static_cast<unsigned int>(first - curves.begin());
}

// A side or loop: a non-empty list of curves; a side names each curve once.
std::vector<unsigned int> curve_list(json const& v, std::string const& place,
                                     std::vector<CurveJob> const& curves, bool side) {
  const json& l = list(v, place, "a list of curves (names or positions)");
  if (l.empty()) fail(place, std::string("the ") + (side ? "side" : "loop") + " has no curves");
  std::vector<unsigned int> out;
  for (std::size_t i = 0; i < l.size(); ++i) {
    const unsigned int c = curve_ref(l[i], with_index(place, i), curves);
    if (side && std::find(out.begin(), out.end(), c) != out.end())
      fail(with_index(place, i), "the curve " + in_quotes(curves[c].name) + " is given twice in this side");
    out.push_back(c);
  }
  return out;
}

FaceJob face(json const& v, std::string const& place, std::vector<CurveJob> const& curves, std::size_t i) {
  if (!v.is_object()) fail(place, "expected a face (an object with a \"kind\"), found " + describe(v));
  const std::string kind = has(v, "kind") && v["kind"].is_string() ? v["kind"].get<std::string>() : "";
  if (kind != "mapped" && kind != "paved")
    fail(has(v, "kind") ? with_field(place, "kind") : place, "a face's \"kind\" is \"mapped\" or \"paved\"");
  FaceJob f;
  f.mapped = kind == "mapped";
  f.place = place;
  const char* key = f.mapped ? "sides" : "loops";
  only_fields(v, place, {"kind", "name", "comment", key}, "a " + kind + " face");
  f.name = has(v, "name") ? text(v["name"], with_field(place, "name")) : "face " + std::to_string(i);
  if (has(v, "comment")) text(v["comment"], with_field(place, "comment"));
  if (!has(v, key))
    fail(place, f.mapped ? "the mapped face has no \"sides\" (4 lists of curves, side 0 facing side 2)"
                         : "the paved face has no \"loops\" (lists of curves)");
  const std::string at = with_field(place, key);
  const json& l = list(v[key], at, "a list of lists of curves");
  if (f.mapped && l.size() != 4) fail(at, "a mapped face has 4 sides, found " + std::to_string(l.size()));
  if (l.empty()) fail(at, "the paved face has no loops");
  for (std::size_t k = 0; k < l.size(); ++k)
    f.sides.push_back(curve_list(l[k], with_index(at, k), curves, f.mapped));
  return f;
}

}  // namespace

std::vector<FaceJob> read_faces(json const& v, std::vector<CurveJob> const& curves) {
  const json& l = list(v, "faces", "a list of faces");
  std::vector<FaceJob> faces;
  for (std::size_t i = 0; i < l.size(); ++i) faces.push_back(face(l[i], with_index("faces", i), curves, i));
  return faces;
}

namespace {

// The counts a curve may take: lines and splines within nmin and nmax; a
// two-node straight curve with sizes or metrics any count; the others only
// the count they get alone (several straight segments each rounded on its
// own, extrusions, counts given in the job).
struct CountRange {
  unsigned int lower, upper;
  bool even;
};

CountRange count_range(CurveJob const& c, unsigned int own) {
  if (c.kind == Kind::line || c.kind == Kind::spline) return {c.nmin, c.nmax, c.force_even};
  if (c.kind == Kind::straight && c.chain.size() == 2 && !c.elements) return {1, 4294967295u, c.force_even};
  return {own, own, false};
}

// The curve meshed with exactly n elements; a straight segment becomes a line
// over the same two nodes, which takes the count as its bounds.
CurveJob with_count(CurveJob c, unsigned int n) {
  if (c.kind == Kind::straight) c.kind = Kind::line;
  c.nmin = c.nmax = n;
  return c;
}

struct Network {
  Values goals;
  Ids lower, upper;
  std::vector<int> terms;  // constraint, curve, coefficient
  zarn::dense1D<int, 8> kinds;

  void add(std::vector<unsigned int> const& curves, int coefficient) {
    for (unsigned int c : curves)
      terms.insert(terms.end(), {static_cast<int>(kinds.size()), static_cast<int>(c), coefficient});
  }
};

// Mapped: side 0 minus side 2, side 1 minus side 3, both 0. Paved: all loops
// together even. A curve that must be even alone: a parity of its own.
Network network_of(Job const& job, Mesh const& alone) {
  Network n;
  for (std::size_t i = 0; i < job.curves.size(); ++i) {
    const unsigned int own = static_cast<unsigned int>(alone.curves[i].chain.size() - 1);
    const CountRange r = count_range(job.curves[i], own);
    n.goals.push_back(own);
    n.lower.push_back(r.lower);
    n.upper.push_back(r.upper);
    if (r.even && r.lower < r.upper) {
      n.add({static_cast<unsigned int>(i)}, 1);
      n.kinds.push_back(1);
    }
  }
  for (FaceJob const& f : job.faces) {
    if (f.mapped) {
      for (std::size_t s = 0; s < 2; ++s) {
        n.add(f.sides[s], 1);
        n.add(f.sides[s + 2], -1);
        n.kinds.push_back(0);
      }
    } else {
      for (auto const& loop : f.sides) n.add(loop, 1);
      n.kinds.push_back(1);
    }
  }
  return n;
}

RunResult fault(std::string place, std::string message, FaultCause cause) {
  RunResult r;
  r.fault = Fault{std::move(place), std::move(message)};
  r.cause = cause;
  return r;
}

}  // namespace

RunResult run_with_faces(Job const& job, RunOptions const& options) {
  RunOptions first = options;
  first.measure = false;
  const RunResult alone = run_curves(job, first);
  if (!alone.mesh) return alone;
  Network n = network_of(job, *alone.mesh);
  zarn::dense2D<int> terms(3, n.terms.size() / 3);
  std::copy(n.terms.begin(), n.terms.end(), terms.data());
  Ids counts;
  const int status = zarn::linegen::assign_intervals(n.goals, n.lower, n.upper, terms, n.kinds, counts);
  if (status == zarn::linegen::status_out_of_memory)
    return fault("faces", "out of memory while assigning the element counts", FaultCause::out_of_memory);
  if (status < 0)
    return fault("faces",
                 "no element counts satisfy every face within the curves' own limits (counts given in the "
                 "job, straight chains of several segments, extrusions, nmin/nmax, force_even)",
                 FaultCause::bad_input);
  Job exact = job;
  for (std::size_t i = 0; i < job.curves.size(); ++i)
    if (counts[i] != n.goals[i]) exact.curves[i] = with_count(job.curves[i], counts[i]);
  RunResult run = run_curves(exact, options);
  if (!run.mesh) return run;
  for (std::size_t i = 0; i < job.curves.size(); ++i) {
    MeshCurve& m = run.mesh->curves[i];
    m.kind = job.curves[i].kind;
    if (m.kind == Kind::straight) m.max_deviation = -1.0;  // measured as the line it was meshed as
    m.goal = n.goals[i];
    if (m.chain.size() - 1 != counts[i])
      return fault(job.curves[i].place,
                   "the curve " + in_quotes(m.name) + " cannot keep the count its faces give it: " +
                       std::to_string(counts[i]) + " elements asked, " + std::to_string(m.chain.size() - 1) +
                       " meshed (refinement by chordal_error adds nodes)",
                   FaultCause::bad_input);
  }
  return run;
}

}  // namespace linegen_tool
