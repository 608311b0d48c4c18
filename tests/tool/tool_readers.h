// Small readers of the tool's output formats, written from the formats
// themselves, and a runner of the built executable.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include <sys/wait.h>
#include <unistd.h>

namespace tool_test {

inline std::string slurp(std::string const& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

inline void spit(std::string const& path, std::string const& text) {
  std::ofstream out(path, std::ios::binary);
  out << text;
}

// VTK legacy ASCII unstructured grid of line cells, as the tool writes it.
struct Vtk {
  std::vector<std::array<double, 3>> points;
  std::vector<std::vector<unsigned int>> cells;
  std::map<std::string, std::vector<double>> point_data, cell_data;
  std::string error;
};

inline Vtk read_vtk(std::string const& text) {
  Vtk v;
  std::istringstream in(text);
  std::string line;
  std::getline(in, line);
  if (line != "# vtk DataFile Version 3.0") return v.error = "header: " + line, v;
  std::getline(in, line);  // title
  std::getline(in, line);
  if (line != "ASCII") return v.error = "not ASCII", v;
  std::string word, type;
  std::map<std::string, std::vector<double>>* data = nullptr;
  std::size_t data_count = 0;
  while (in >> word) {
    if (word == "DATASET") {
      in >> type;
      if (type != "UNSTRUCTURED_GRID") return v.error = "dataset " + type, v;
    } else if (word == "POINTS") {
      std::size_t n;
      in >> n >> type;
      v.points.resize(n);
      for (auto& p : v.points) in >> p[0] >> p[1] >> p[2];
    } else if (word == "CELL_TYPES") {
      std::size_t n, type;
      in >> n;
      for (std::size_t c = 0; c < n; ++c)
        if (in >> type && type != 3) return v.error = "cell type " + std::to_string(type), v;
    } else if (word == "CELLS") {
      std::size_t cells, entries, seen = 0;
      in >> cells >> entries;
      for (std::size_t c = 0; c < cells; ++c) {
        std::size_t k;
        in >> k;
        std::vector<unsigned int> ids(k);
        for (auto& id : ids) in >> id;
        seen += k + 1;
        v.cells.push_back(ids);
      }
      if (seen != entries) return v.error = "CELLS size", v;
    } else if (word == "POINT_DATA" || word == "CELL_DATA") {
      in >> data_count;
      data = word == "POINT_DATA" ? &v.point_data : &v.cell_data;
    } else if (word == "SCALARS") {
      std::string name, components, table, table_name;
      in >> name >> type >> components >> table >> table_name;
      if (!data || table != "LOOKUP_TABLE") return v.error = "SCALARS outside data", v;
      auto& values = (*data)[name];
      values.resize(data_count);
      for (auto& x : values) in >> x;
    } else {
      return v.error = "unexpected " + word, v;
    }
    if (in.fail()) return v.error = "truncated after " + word, v;
  }
  return v;
}

// Gmsh MSH 4.1 ASCII, the sections the tool writes.
struct Msh {
  std::map<std::size_t, std::array<double, 3>> nodes;  // tag -> coordinates
  std::map<std::size_t, int> node_entity;              // tag -> curve entity
  struct Element {
    std::size_t tag;
    int entity;
    std::size_t a, b;
  };
  std::vector<Element> elements;
  std::map<int, std::vector<int>> curve_physicals;  // curve entity -> physical tags
  std::map<int, std::string> physical_names;
  std::string error;
};

inline Msh read_msh(std::string const& text) {
  Msh m;
  std::istringstream in(text);
  std::string word;
  auto expect = [&](std::string const& w) {
    std::string got;
    in >> got;
    if (got != w && m.error.empty()) m.error = "expected " + w + ", found " + got;
    return m.error.empty();
  };
  while (in >> word) {
    if (word == "$MeshFormat") {
      std::string version;
      int file_type, data_size;
      in >> version >> file_type >> data_size;
      if (version != "4.1" || file_type != 0 || data_size != 8) m.error = "format " + version;
      if (!expect("$EndMeshFormat")) return m;
    } else if (word == "$PhysicalNames") {
      std::size_t n;
      in >> n;
      for (std::size_t i = 0; i < n; ++i) {
        int dim, tag;
        in >> dim >> tag >> std::ws;
        std::string name;
        std::getline(in, name);
        if (dim != 1 || name.size() < 2 || name.front() != '"' || name.back() != '"')
          m.error = "physical name";
        m.physical_names[tag] = name.substr(1, name.size() - 2);
      }
      if (!expect("$EndPhysicalNames")) return m;
    } else if (word == "$Entities") {
      std::size_t points, curves, surfaces, volumes;
      in >> points >> curves >> surfaces >> volumes;
      if (points || surfaces || volumes) m.error = "entities other than curves";
      for (std::size_t i = 0; i < curves; ++i) {
        int tag;
        double box[6];
        std::size_t physicals, bounding;
        in >> tag;
        for (double& b : box) in >> b;
        in >> physicals;
        for (std::size_t k = 0; k < physicals; ++k) {
          int p;
          in >> p;
          m.curve_physicals[tag].push_back(p);
        }
        in >> bounding;
        for (std::size_t k = 0; k < bounding; ++k) in >> word;
      }
      if (!expect("$EndEntities")) return m;
    } else if (word == "$Nodes") {
      std::size_t blocks, count, min_tag, max_tag, seen = 0;
      in >> blocks >> count >> min_tag >> max_tag;
      for (std::size_t b = 0; b < blocks; ++b) {
        int dim, entity, parametric;
        std::size_t n;
        in >> dim >> entity >> parametric >> n;
        if (dim != 1 || parametric != 0) m.error = "node block";
        std::vector<std::size_t> tags(n);
        for (auto& t : tags) in >> t;
        for (auto t : tags) {
          auto& p = m.nodes[t];
          in >> p[0] >> p[1] >> p[2];
          if (m.node_entity.count(t)) m.error = "node written twice";
          m.node_entity[t] = entity;
          if (t < min_tag || t > max_tag) m.error = "node tag outside the range";
        }
        seen += n;
      }
      if (seen != count) m.error = "node count";
      if (!expect("$EndNodes")) return m;
    } else if (word == "$Elements") {
      std::size_t blocks, count, min_tag, max_tag;
      in >> blocks >> count >> min_tag >> max_tag;
      for (std::size_t b = 0; b < blocks; ++b) {
        int dim, entity, type;
        std::size_t n;
        in >> dim >> entity >> type >> n;
        if (dim != 1 || type != 1) m.error = "element block";
        for (std::size_t i = 0; i < n; ++i) {
          Msh::Element e{0, entity, 0, 0};
          in >> e.tag >> e.a >> e.b;
          if (e.tag < min_tag || e.tag > max_tag) m.error = "element tag outside the range";
          m.elements.push_back(e);
        }
      }
      if (m.elements.size() != count) m.error = "element count";
      if (!expect("$EndElements")) return m;
    } else {
      m.error = "unexpected " + word;
      return m;
    }
    if (in.fail()) {
      m.error = "truncated after " + word;
      return m;
    }
  }
  return m;
}

// The value of attribute `name` in one tag of an SVG text.
inline double svg_attribute(std::string const& tag, std::string const& name) {
  const std::string key = " " + name + "=\"";
  const std::size_t at = tag.find(key);
  if (at == std::string::npos) return std::nan("");
  return std::stod(tag.substr(at + key.size()));
}

// Every tag `<kind ...>` of an SVG text between the markers `from` and `to`.
inline std::vector<std::string> svg_tags(std::string const& text, std::string const& kind,
                                         std::size_t from = 0, std::size_t to = std::string::npos) {
  std::vector<std::string> out;
  const std::string open = "<" + kind + " ";
  for (std::size_t at = text.find(open, from); at != std::string::npos && at < to;
       at = text.find(open, at + 1))
    out.push_back(text.substr(at, text.find('>', at) - at + 1));
  return out;
}

// Runs the built tool with a shell command line tail; collects exit code,
// standard output and standard error.
struct Run {
  int code = -1;
  std::string out, err;
};

inline Run run_tool(std::string const& arguments, std::string const& dir) {
  const std::string out = dir + "/stdout.txt", err = dir + "/stderr.txt";
  const std::string command =
      std::string("'") + LINEGEN_TOOL_EXE + "' " + arguments + " >'" + out + "' 2>'" + err + "'";
  const int status = std::system(command.c_str());
  Run r;
  r.code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  r.out = slurp(out);
  r.err = slurp(err);
  std::filesystem::remove(out);
  std::filesystem::remove(err);
  return r;
}

// A fresh folder for one test, removed afterwards.
class ScratchDir : public ::testing::Test {
 protected:
  void SetUp() override {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    dir = (std::filesystem::temp_directory_path() / ("linegen-tool-" + std::to_string(::getpid()) + "-" +
                                                     info->test_suite_name() + "-" + info->name()))
              .string();
    std::replace(
        dir.begin() + static_cast<std::ptrdiff_t>(std::filesystem::temp_directory_path().string().size()) + 1,
        dir.end(), '/', '_');
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
  }
  void TearDown() override { std::filesystem::remove_all(dir); }
  std::string path(std::string const& name) const { return dir + "/" + name; }
  // Names in the folder, to see that no temporary file is left behind.
  std::vector<std::string> listing() const {
    std::vector<std::string> names;
    for (auto const& e : std::filesystem::directory_iterator(dir))
      names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
  }
  std::string dir;
};

}  // namespace tool_test
