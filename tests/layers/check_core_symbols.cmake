# Fails when an archive calls the operating system directly: `nm -u` lists its undefined
# symbols, and none may be a POSIX file, folder, process, environment or sleep call of the list
# below (the core gets all of them through the System of the seam).
#   cmake -DNM=<nm> -DARCHIVE=<lib.a> -P check_core_symbols.cmake
cmake_minimum_required(VERSION 3.22)
if(NOT NM OR NOT ARCHIVE)
  message(FATAL_ERROR "usage: cmake -DNM=... -DARCHIVE=... -P check_core_symbols.cmake")
endif()

set(denied
  # files and folders
  open open64 openat creat read write close lseek pread pwrite fstat stat lstat fstatat statx
  __xstat __lxstat __fxstat access faccessat opendir fdopendir readdir readdir64 closedir mkdir
  mkdirat rmdir unlink unlinkat rename renameat link symlink readlink realpath chdir fchdir getcwd
  chmod fchmod truncate ftruncate fsync fopen freopen remove mkstemp mkdtemp dup dup2 pipe pipe2
  fcntl ioctl mmap munmap
  # processes and signals
  fork vfork execv execve execvp execvpe execl execlp posix_spawn posix_spawnp waitpid wait wait4
  kill killpg setsid setpgid getpid system popen pclose sigaction signal raise
  # environment, users, libraries, sleeping, local time
  getenv secure_getenv setenv unsetenv putenv getpwuid getpwnam dlopen dlsym nanosleep usleep sleep
  localtime_r)

execute_process(COMMAND "${NM}" -u "${ARCHIVE}" OUTPUT_VARIABLE listing RESULT_VARIABLE status ERROR_VARIABLE errors)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "${NM} -u ${ARCHIVE} failed: ${errors}")
endif()
string(REPLACE "\n" ";" lines "${listing}")
set(found "")
set(member "")
foreach(line IN LISTS lines)
  if(line MATCHES "^(.+):$")
    set(member "${CMAKE_MATCH_1}")
  elseif(line MATCHES "^[ \t]*U[ \t]+([^@ \t]+)")
    if(CMAKE_MATCH_1 IN_LIST denied)
      string(APPEND found "${member}: ${CMAKE_MATCH_1}\n")
    endif()
  endif()
endforeach()
if(found)
  message(FATAL_ERROR "${ARCHIVE} calls the operating system directly:\n${found}")
endif()
message(STATUS "${ARCHIVE} calls no POSIX file, process or environment function")
