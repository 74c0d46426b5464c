// Writes the points of a point list as an IGES file with Open CASCADE: each
// point becomes a vertex, all vertices one compound, written by
// IGESControl_Writer. The comparison for the converter's speed.
#include <BRepBuilderAPI_MakeVertex.hxx>
#include <BRep_Builder.hxx>
#include <IGESControl_Controller.hxx>
#include <IGESControl_Writer.hxx>
#include <TopoDS_Compound.hxx>
#include <gp_Pnt.hxx>

#include <cstdio>
#include <fstream>
#include <string>

#include "conversion/point_line.h"

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: occt_write_points INPUT.csv OUTPUT.igs\n");
    return 2;
  }
  std::ifstream in(argv[1], std::ios::binary);
  if (!in) {
    std::perror(argv[1]);
    return 1;
  }
  BRep_Builder builder;
  TopoDS_Compound compound;
  builder.MakeCompound(compound);
  std::string line;
  long points = 0;
  while (std::getline(in, line)) {
    const auto p = karvonel::conversion::ParsePointLine(line);
    if (!p.has_point)
      continue;
    builder.Add(compound, BRepBuilderAPI_MakeVertex(gp_Pnt(p.x, p.y, p.z)).Vertex());
    ++points;
  }
  IGESControl_Controller::Init();
  IGESControl_Writer writer("MM", 0);
  if (!writer.AddShape(compound) || !writer.Write(argv[2])) {
    std::fprintf(stderr, "occt_write_points: writing %s failed\n", argv[2]);
    return 1;
  }
  std::fprintf(stderr, "occt_write_points: %ld points\n", points);
  return 0;
}
