// Gmsh MSH 4.1: one curve entity (and physical group) per curve, 2-node line
// elements. Node tags are the node numbers plus 1.
#include <cstring>

#include "writers.h"

namespace linegen_tool {

namespace {

// The body of an MSH file. In ASCII numbers are written as text separated
// by spaces and lines; in binary as their bytes (size_t, int, double), with
// no separators, and a section's data ends with a line break before its end
// marker.
class MshText {
 public:
  explicit MshText(bool binary) : binary_(binary) {}
  std::string const& text() const { return s_; }
  void line(std::string const& text) {
    if (binary_ && text.rfind("$End", 0) == 0 && in_data_) s_ += '\n';
    s_ += text + "\n";
    in_data_ = false;
  }
  void size(std::size_t v) { binary_ ? bytes(v) : token(std::to_string(v)); }
  void tag(int v) { binary_ ? bytes(v) : token(std::to_string(v)); }
  void real(double v) { binary_ ? bytes(v) : token(exact(v)); }
  void end() {
    if (!binary_) s_ += '\n', fresh_ = true;
  }
  // The entries of a section that holds no binary data (names) stay text.
  void text_line(std::string const& text) { s_ += text + "\n"; }

 private:
  template <class T>
  void bytes(T v) {
    char raw[sizeof v];
    std::memcpy(raw, &v, sizeof v);
    s_.append(raw, sizeof v);
    in_data_ = true;
  }
  void token(std::string const& t) {
    if (!fresh_) s_ += ' ';
    s_ += t, fresh_ = false;
  }
  std::string s_;
  bool binary_, fresh_ = true, in_data_ = false;
};

// Each node is written once, in the block of the first curve using it.
std::vector<std::vector<unsigned int>> node_blocks(Mesh const& mesh) {
  constexpr std::size_t none = static_cast<std::size_t>(-1);
  std::vector<std::size_t> owner(mesh.node_count(), none);
  std::vector<std::vector<unsigned int>> block(mesh.curves.size());
  for (std::size_t k = 0; k < mesh.curves.size(); ++k)
    for (unsigned int id : mesh.curves[k].chain)
      if (owner[id] == none) owner[id] = k, block[k].push_back(id);
  return block;
}

void physical_names(Mesh const& mesh, MshText& out) {
  out.line("$PhysicalNames");
  out.text_line(std::to_string(mesh.curves.size()));
  for (std::size_t k = 0; k < mesh.curves.size(); ++k)
    out.text_line("1 " + std::to_string(k + 1) + " \"" + one_line(mesh.curves[k].name, 127, '\'') + "\"");
  out.line("$EndPhysicalNames");
}

// One curve entity per curve with its bounding box and physical group.
void entities(Mesh const& mesh, MshText& out) {
  out.line("$Entities");
  for (std::size_t count : {std::size_t{0}, mesh.curves.size(), std::size_t{0}, std::size_t{0}})
    out.size(count);
  out.end();
  for (std::size_t k = 0; k < mesh.curves.size(); ++k) {
    double lo[3] = {0, 0, 0}, hi[3] = {0, 0, 0};
    auto const& chain = mesh.curves[k].chain;
    for (std::size_t i = 0; i < chain.size(); ++i)
      for (int a = 0; a < 3; ++a) {
        const double x = mesh.coord(chain[i], a);
        lo[a] = i == 0 ? x : std::min(lo[a], x);
        hi[a] = i == 0 ? x : std::max(hi[a], x);
      }
    out.tag(static_cast<int>(k + 1));
    for (double v : lo) out.real(v);
    for (double v : hi) out.real(v);
    out.size(1), out.tag(static_cast<int>(k + 1)), out.size(0), out.end();
  }
  out.line("$EndEntities");
}

void nodes(Mesh const& mesh, MshText& out) {
  const auto block = node_blocks(mesh);
  std::size_t written = 0, min_tag = static_cast<std::size_t>(-1), max_tag = 0, blocks = 0;
  for (auto const& b : block) {
    written += b.size();
    blocks += b.empty() ? 0 : 1;
    for (unsigned int id : b)
      min_tag = std::min<std::size_t>(min_tag, id + std::size_t{1}),
      max_tag = std::max<std::size_t>(max_tag, id + std::size_t{1});
  }
  if (written == 0) min_tag = 0;
  out.line("$Nodes");
  out.size(blocks), out.size(written), out.size(min_tag), out.size(max_tag), out.end();
  for (std::size_t k = 0; k < block.size(); ++k) {
    if (block[k].empty()) continue;
    out.tag(1), out.tag(static_cast<int>(k + 1)), out.tag(0), out.size(block[k].size()), out.end();
    for (unsigned int id : block[k]) out.size(std::size_t{id} + 1), out.end();
    for (unsigned int id : block[k]) {
      for (int a = 0; a < 3; ++a) out.real(mesh.coord(id, a));
      out.end();
    }
  }
  out.line("$EndNodes");
}

void elements(Mesh const& mesh, MshText& out) {
  const std::size_t count = mesh.element_count();
  std::size_t blocks = 0;
  for (auto const& c : mesh.curves) blocks += c.chain.size() > 1 ? 1 : 0;
  out.line("$Elements");
  out.size(blocks), out.size(count), out.size(count > 0 ? 1 : 0), out.size(count), out.end();
  std::size_t tag = 1;
  for (std::size_t k = 0; k < mesh.curves.size(); ++k) {
    auto const& chain = mesh.curves[k].chain;
    if (chain.size() < 2) continue;
    out.tag(1), out.tag(static_cast<int>(k + 1)), out.tag(1), out.size(chain.size() - 1), out.end();
    for (std::size_t i = 0; i + 1 < chain.size(); ++i)
      out.size(tag++), out.size(std::size_t{chain[i]} + 1), out.size(std::size_t{chain[i + 1]} + 1),
          out.end();
  }
  out.line("$EndElements");
}

}  // namespace

std::string write_msh(Mesh const& mesh, bool binary) {
  MshText out(binary);
  out.line("$MeshFormat");
  out.line(binary ? "4.1 1 8" : "4.1 0 8");
  if (binary) out.tag(1);  // tells the reader the byte order
  out.line("$EndMeshFormat");
  physical_names(mesh, out);
  entities(mesh, out);
  nodes(mesh, out);
  elements(mesh, out);
  return out.text();
}

}  // namespace linegen_tool
