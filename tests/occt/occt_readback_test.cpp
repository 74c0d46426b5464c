// The converter's files, read back by Open CASCADE's IGES reader.
#include <gtest/gtest.h>
#include <IFSelect_ReturnStatus.hxx>
#include <IGESControl_Reader.hxx>
#include <IGESData_IGESModel.hxx>
#include <IGESGeom_Point.hxx>
#include <Interface_Check.hxx>
#include <Interface_CheckIterator.hxx>
#include <XSControl_WorkSession.hxx>

#include <cmath>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "conversion/conversion_run.h"
#include "iges/number_text.h"
#include "tests/support/rounding.h"
#include "tests/support/test_files.h"

namespace karvonel {
namespace {

using testing::Rounded15;

struct Point {
  double x, y, z;
};

// Hand-picked values, then random ones of every magnitude whose three texts
// fit the 64 columns of a P record, as a list of measured values does. The
// reader records no failure but one: the file names its units "mm" in lower
// case, and the reader, which expects "MM", takes them from the unit flag (2,
// millimetres).
TEST(OcctReadback, EveryPointKeepsItsValueRoundedTo15Digits) {
  std::vector<Point> points = {{1.5, -2, 0},
                               {123.4567, -89.0123, 4.5678},
                               {0.0001, -0.00001, 1e14},
                               {1e15, -2.5e300, 1.5e-5},
                               {1.0 / 3, -2.0 / 3, 0.1 + 0.2},
                               {-0.0, 5e-324, 1.79769313486231e308},
                               {2147483647, -2147483648.0, 3e9},
                               {123456789012345.0, -3000000000.5, 99999.99999}};
  std::mt19937_64 random(20261206);
  std::uniform_real_distribution<double> mantissa(-10, 10);
  std::uniform_int_distribution<int> exponent(-30, 30);
  auto draw = [&] { return mantissa(random) * std::pow(10.0, exponent(random)); };
  while (points.size() < 2000) {
    const Point p{draw(), draw(), draw()};
    if (iges::NumberText(p.x).size() + iges::NumberText(p.y).size() +
            iges::NumberText(p.z).size() <=
        57)
      points.push_back(p);
  }
  std::string input;
  for (const Point& p : points) {
    char line[90];
    std::snprintf(line, sizeof line, "%.17g,%.17g,%.17g\r\n", p.x, p.y, p.z);
    input += line;
  }
  testing::TempDir dir;
  testing::WriteFileBytes(dir / "in.csv", input);
  conversion::ConversionRequest request;
  request.in_path = dir / "in.csv";
  request.out_path = dir / "out.igs";
  request.section_path = dir / "para.sec";
  ASSERT_TRUE(conversion::RunConversion(request));

  IGESControl_Reader reader;
  ASSERT_EQ(reader.ReadFile((dir / "out.igs").string().c_str()), IFSelect_RetDone);
  std::string failures;
  Interface_CheckIterator checks = reader.WS()->ModelCheckList();
  for (checks.Start(); checks.More(); checks.Next()) {
    for (Standard_Integer i = 1; i <= checks.Value()->NbFails(); ++i)
      failures += std::string(checks.Value()->CFail(i)) + "\n";
  }
  EXPECT_EQ(failures,
            "Global Section (Parameter 14 and 15) : Unit Flag parameter does not correspond to "
            "Unit Name parameter : Unit Name ignored.\n");
  const Handle(IGESData_IGESModel) model = reader.IGESModel();
  ASSERT_EQ(model->NbEntities(), 2000);
  for (std::size_t i = 0; i < points.size(); ++i) {
    SCOPED_TRACE("point " + std::to_string(i + 1));
    const auto entity = Handle(IGESGeom_Point)::DownCast(model->Entity(static_cast<int>(i) + 1));
    ASSERT_FALSE(entity.IsNull());
    const gp_Pnt value = entity->Value();
    EXPECT_EQ(value.X(), Rounded15(points[i].x));
    EXPECT_EQ(value.Y(), Rounded15(points[i].y));
    EXPECT_EQ(value.Z(), Rounded15(points[i].z));
  }
}

}  // namespace
}  // namespace karvonel
