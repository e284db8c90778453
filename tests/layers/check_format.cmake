# Fails when a C++ file of the tree is not laid out as .clang-format says, naming the files.
# ROOT is the source tree, CLANG_FORMAT the program.
file(GLOB_RECURSE files ${ROOT}/src/*.cpp ${ROOT}/src/*.hpp ${ROOT}/tools/*.cpp ${ROOT}/tools/*.hpp
     ${ROOT}/tests/*.cpp ${ROOT}/tests/*.hpp ${ROOT}/bench/*.cpp ${ROOT}/bench/*.hpp
     ${ROOT}/fuzz/*.cpp ${ROOT}/fuzz/*.hpp)
list(FILTER files EXCLUDE REGEX "/tests/layers/fixture/")
execute_process(COMMAND ${CLANG_FORMAT} --dry-run --Werror ${files}
                WORKING_DIRECTORY ${ROOT} RESULT_VARIABLE status ERROR_VARIABLE report)
if(NOT status EQUAL 0)
  string(REGEX MATCHALL "[^\n]*: error: code should be clang-formatted" lines "${report}")
  list(JOIN lines "\n" text)
  message(FATAL_ERROR "Not laid out as .clang-format says (clang-format -i fixes it):\n${text}")
endif()
