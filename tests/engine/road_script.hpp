#pragma once
// The typical road of test objects, the same on every system: three objects over the range
// file c:\4nec2\b_in\Ranges\two.txt (7,01 and 14,2 MHz), converted by the tree's engine,
// added, analysed and the table saved as c:\4nec2\table.txt. The echo lines mark the parts
// of the output: ==conversion, ==analysis, ==table (the Data pane) and ==end.
namespace varnel {

inline constexpr const char* kTestObjectRoad = R"(
decimal ,
seed 20240611
answer open "c:\4nec2\b_in\Ranges\two.txt"
answer ask 3
answer ask 3
answer ask 1,5
answer ask 1
answer ask 1
answer ask E_
answer ask default
run MIGenerateEUTsClick
answer folder "c:\4nec2\b_in\E_"
run BatchConversion1Click
echo ==conversion
print Mout
answer point 10 0 1,3
run EditPointDblClick
answer folder "c:\4nec2\b_out\E_"
run MIAddEUTs
run MIAnalyseEUTsClick
echo ==analysis
print Mout
echo ==table
print Mdata
answer save "c:\4nec2\table.txt"
run MISaveasTxtClick
echo ==end
)";

}  // namespace varnel
