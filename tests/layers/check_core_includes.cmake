# Fails when a file of the core includes anything but the core's own headers, the standard C++
# headers of the allow-list below and the compiler's processor intrinsics (which reach no
# operating system).
#   cmake -DSOURCE_ROOT=<folder> -DCORE_GLOBS=<globs relative to it, ';'-separated> -P check_core_includes.cmake
# The core holds the program's knowledge and reaches the machine and the person only through
# the seam (platform/system.hpp, platform/ui.hpp). The standard headers that would reach files,
# processes or the standard streams behind the seam's back (<filesystem>, <fstream>, <cstdio>,
# <csignal>, <iostream>) are left out of the list on purpose.
cmake_minimum_required(VERSION 3.22)
if(NOT SOURCE_ROOT OR NOT CORE_GLOBS)
  message(FATAL_ERROR "usage: cmake -DSOURCE_ROOT=... -DCORE_GLOBS=... -P check_core_includes.cmake")
endif()

set(allowed
  algorithm any array atomic barrier bit bitset cassert cctype cerrno cfenv cfloat charconv chrono
  cinttypes climits clocale cmath compare complex concepts condition_variable coroutine cstdarg
  cstddef cstdint cstdlib cstring ctime cuchar cwchar cwctype deque exception execution format
  forward_list functional future initializer_list iomanip ios iosfwd istream iterator latch limits
  list locale map memory memory_resource mutex new numbers numeric optional ostream queue random
  ranges ratio regex scoped_allocator semaphore set shared_mutex source_location span sstream stack
  stdexcept stop_token streambuf string string_view syncstream system_error thread tuple type_traits
  typeindex typeinfo unordered_map unordered_set utility valarray variant vector version
  # the compiler's own vector instructions
  xmmintrin.h emmintrin.h pmmintrin.h tmmintrin.h smmintrin.h nmmintrin.h immintrin.h arm_neon.h)

set(core_files)
foreach(pattern IN LISTS CORE_GLOBS)
  file(GLOB matched RELATIVE "${SOURCE_ROOT}" "${SOURCE_ROOT}/${pattern}")
  list(APPEND core_files ${matched})
endforeach()
list(REMOVE_DUPLICATES core_files)
list(FILTER core_files INCLUDE REGEX "\\.(cpp|hpp|h)$")
if(NOT core_files)
  message(FATAL_ERROR "no core files below ${SOURCE_ROOT} for ${CORE_GLOBS}")
endif()

set(problems "")
foreach(source IN LISTS core_files)
  file(STRINGS "${SOURCE_ROOT}/${source}" lines REGEX "^[ \t]*#[ \t]*include")
  foreach(line IN LISTS lines)
    if(line MATCHES "^[ \t]*#[ \t]*include[ \t]*<([^>]+)>")
      if(NOT CMAKE_MATCH_1 IN_LIST allowed)
        string(APPEND problems "${source}: <${CMAKE_MATCH_1}> is not a standard header the core may use\n")
      endif()
    elseif(line MATCHES "^[ \t]*#[ \t]*include[ \t]*\"([^\"]+)\"")
      if(NOT CMAKE_MATCH_1 IN_LIST core_files)
        string(APPEND problems "${source}: \"${CMAKE_MATCH_1}\" is not a header of the core\n")
      endif()
    else()
      string(APPEND problems "${source}: an include the check cannot read: ${line}\n")
    endif()
  endforeach()
endforeach()

list(LENGTH core_files count)
if(problems)
  message(FATAL_ERROR "The core reaches outside itself:\n${problems}")
endif()
message(STATUS "${count} core files include only the core and the standard library")
