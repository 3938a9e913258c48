# Compiler settings shared by every target of the project.

add_compile_options(-Wall -Wextra)
if(QX_WERROR)
  add_compile_options(-Werror)
endif()

if(QX_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  add_link_options(-fsanitize=address,undefined)
endif()

# Install tree: <prefix>/program holds the programs, Qxa-3 and the base data;
# <prefix>/common holds the platform libraries the programs share.  Programs
# find both folders through their run path, with or without the launcher.
set(QX_PROGRAM_DIR program)
set(QX_COMMON_DIR common)
set(CMAKE_INSTALL_RPATH "$ORIGIN:$ORIGIN/../${QX_COMMON_DIR}")
set(CMAKE_BUILD_RPATH_USE_ORIGIN OFF)

# qx_stamp_version(target [VERSION x.y.z]): gives a program or shared library
# the component version note (cmake/version_note.c) that the main program's
# component check reads; the project's version unless another is named
# (tests make a wrong-version component that way).
function(qx_stamp_version target)
  cmake_parse_arguments(V "" "VERSION" "" ${ARGN})
  if(NOT V_VERSION)
    set(V_VERSION ${PROJECT_VERSION})
  endif()
  get_target_property(stamped ${target} QX_VERSION_STAMPED)
  if(stamped)
    return()
  endif()
  string(REPLACE "." "_" suffix "${V_VERSION}")
  set(notes qx_version_note_${suffix})
  if(NOT TARGET ${notes})
    string(REPLACE "." ";" parts "${V_VERSION}")
    list(GET parts 0 major)
    list(GET parts 1 minor)
    list(GET parts 2 patch)
    add_library(${notes} OBJECT ${PROJECT_SOURCE_DIR}/cmake/version_note.c)
    target_compile_definitions(${notes} PRIVATE
      QX_NOTE_MAJOR=${major} QX_NOTE_MINOR=${minor} QX_NOTE_PATCH=${patch})
  endif()
  target_sources(${target} PRIVATE $<TARGET_OBJECTS:${notes}>)
  set_target_properties(${target} PROPERTIES QX_VERSION_STAMPED ON)
endfunction()

# qx_platform_library(name sources...): a shared library of the common folder.
function(qx_platform_library name)
  add_library(${name} SHARED ${ARGN})
  target_include_directories(${name} PUBLIC ${CMAKE_CURRENT_SOURCE_DIR}/include)
  set_target_properties(${name} PROPERTIES VERSION ${PROJECT_VERSION}
                                           SOVERSION ${PROJECT_VERSION_MAJOR})
  qx_stamp_version(${name})
  install(TARGETS ${name} LIBRARY DESTINATION ${QX_COMMON_DIR})
endfunction()

# qx_add_fuzzer(name SOURCES <files> LIBS <targets>): a libFuzzer target,
# built only with -DQX_FUZZ=ON and clang (scripts/fuzz.sh builds the tree
# with coverage instrumentation and the sanitizers and runs each for a
# bounded time, from the seed corpus in corpus/ beside the sources).
if(QX_FUZZ AND NOT CMAKE_CXX_COMPILER_ID MATCHES "Clang")
  message(FATAL_ERROR "QX_FUZZ needs clang (configure with CC=clang CXX=clang++)")
endif()
function(qx_add_fuzzer name)
  cmake_parse_arguments(F "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${F_SOURCES})
  target_link_libraries(${name} PRIVATE ${F_LIBS})
  target_compile_options(${name} PRIVATE -fsanitize=fuzzer,address,undefined)
  target_link_options(${name} PRIVATE -fsanitize=fuzzer,address,undefined)
endfunction()
