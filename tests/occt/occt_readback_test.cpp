// The converter's files, read back by Open CASCADE's IGES reader.
#include <gtest/gtest.h>
#include <IFSelect_ReturnStatus.hxx>
#include <IGESControl_Reader.hxx>
#include <IGESData_GlobalSection.hxx>
#include <IGESData_IGESModel.hxx>
#include <IGESGeom_Point.hxx>
#include <Interface_Check.hxx>
#include <Interface_CheckIterator.hxx>
#include <TCollection_HAsciiString.hxx>
#include <XSControl_WorkSession.hxx>

#include <charconv>
#include <cmath>
#include <random>
#include <string>
#include <vector>

#include "conversion/conversion_run.h"
#include "conversion/messages.h"
#include "iges/number_text.h"
#include "tests/structure/iges_structure.h"
#include "tests/support/rounding.h"
#include "tests/support/test_files.h"

namespace karvonel {
namespace {

using karvonel::testing::CheckIgesStructure;
using karvonel::testing::Rounded15;

using karvonel::testing::TempDir;
using karvonel::testing::WriteFileBytes;

std::string Text(double value) {
  char text[40];
  return std::string(text, std::to_chars(text, text + sizeof text, value).ptr);
}

struct Point {
  double x, y, z;
};

// The file names its units "mm" in lower case; the reader notes that it expects
// "MM", ignores the name and takes the units from the unit flag (2,
// millimetres), which the test of the global section checks.
const std::string kUnitNameNote =
    "Global Section (Parameter 14 and 15) : Unit Flag parameter does not correspond to Unit "
    "Name parameter : Unit Name ignored.\n";

class OcctReadback : public ::testing::Test {
 protected:
  // Converts the points and reads the file back; fails the test on any
  // failure the reader records.
  Handle(IGESData_IGESModel) ConvertAndRead(const std::vector<Point>& points,
                                            const std::string& expected_failures = kUnitNameNote) {
    std::string input;
    for (const Point& p : points)
      input += Text(p.x) + "," + Text(p.y) + "," + Text(p.z) + "\r\n";
    WriteFileBytes(dir_ / "in.csv", input);
    conversion::ConversionRequest request;
    request.in_path = dir_ / "in.csv";
    request.out_path = dir_ / "out.igs";
    request.section_path = dir_ / "para.sec";
    const conversion::ConversionResult result = conversion::RunConversion(request);
    EXPECT_TRUE(result) << conversion::ResultMessage(result);

    EXPECT_EQ(CheckIgesStructure(karvonel::testing::ReadFileBytes(dir_ / "out.igs")), std::nullopt);
    reader_ = std::make_unique<IGESControl_Reader>();
    EXPECT_EQ(reader_->ReadFile((dir_ / "out.igs").string().c_str()), IFSelect_RetDone);
    EXPECT_EQ(Failures(), expected_failures);
    return reader_->IGESModel();
  }

  // Every failure the reader recorded while loading, one a line.
  std::string Failures() {
    std::string failures;
    Interface_CheckIterator checks = reader_->WS()->ModelCheckList();
    for (checks.Start(); checks.More(); checks.Next()) {
      const Handle(Interface_Check)& check = checks.Value();
      for (Standard_Integer i = 1; i <= check->NbFails(); ++i) {
        failures += std::string(check->CFail(i)) + "\n";
      }
    }
    return failures;
  }

  void ExpectPoints(const Handle(IGESData_IGESModel) & model, const std::vector<Point>& points) {
    ASSERT_FALSE(model.IsNull());
    ASSERT_EQ(model->NbEntities(), static_cast<Standard_Integer>(points.size()));
    for (std::size_t i = 0; i < points.size(); ++i) {
      Handle(IGESGeom_Point) entity =
          Handle(IGESGeom_Point)::DownCast(model->Entity(static_cast<Standard_Integer>(i + 1)));
      ASSERT_FALSE(entity.IsNull()) << "entity " << i + 1 << " is not a point";
      EXPECT_EQ(entity->TypeNumber(), 116);
      const gp_Pnt value = entity->Value();
      EXPECT_EQ(value.X(), Rounded15(points[i].x)) << "point " << i + 1;
      EXPECT_EQ(value.Y(), Rounded15(points[i].y)) << "point " << i + 1;
      EXPECT_EQ(value.Z(), Rounded15(points[i].z)) << "point " << i + 1;
    }
  }

  TempDir dir_;
  std::unique_ptr<IGESControl_Reader> reader_;
};

TEST_F(OcctReadback, GlobalSectionDeclaresMillimetresAndVersion11) {
  Handle(IGESData_IGESModel) model = ConvertAndRead({{1.5, -2, 0}});
  ASSERT_FALSE(model.IsNull());
  const IGESData_GlobalSection& global = model->GlobalSection();
  EXPECT_EQ(global.UnitFlag(), 2);
  EXPECT_EQ(std::string(global.UnitName()->ToCString()), "mm");
  EXPECT_EQ(global.IGESVersion(), 11);
  EXPECT_DOUBLE_EQ(global.Resolution(), 0.01);
}

TEST_F(OcctReadback, HandPickedValuesKeepTheirValue) {
  const std::vector<Point> points = {{1.5, -2, 0},
                                     {-10.25, 0.5, 100},
                                     {123.4567, -89.0123, 4.5678},
                                     {0.0001, -0.00001, 1e14},
                                     {1e15, -2.5e300, 1.5e-5},
                                     {1.0 / 3, -2.0 / 3, 0.1 + 0.2},
                                     {-0.0, 5e-324, 1.79769313486231e308},
                                     {2147483647, -2147483648.0, 3e9},
                                     {123456789012345.0, -3000000000.5, 99999.99999}};
  ExpectPoints(ConvertAndRead(points), points);
}

TEST_F(OcctReadback, RandomValuesOfEveryMagnitude) {
  std::mt19937_64 random(20261206);
  std::uniform_real_distribution<double> mantissa(-10, 10);
  std::uniform_int_distribution<int> exponent(-30, 30);
  std::vector<Point> points;
  // A P line holds 64 columns of data: keep the points whose three numbers fit,
  // as a point list of measured values does.
  while (points.size() < 2000) {
    auto draw = [&] { return mantissa(random) * std::pow(10.0, exponent(random)); };
    const Point p{draw(), draw(), draw()};
    if (iges::NumberText(p.x).size() + iges::NumberText(p.y).size() +
            iges::NumberText(p.z).size() <=
        57) {
      points.push_back(p);
    }
  }
  ExpectPoints(ConvertAndRead(points), points);
}

TEST_F(OcctReadback, EmptyListGivesAModelWithoutEntities) {
  // With no entity at all the reader has nothing to check and says so.
  ExpectPoints(ConvertAndRead({}, "DATA NOT AVAILABLE FOR CHECK\n"), {});
}

}  // namespace
}  // namespace karvonel
