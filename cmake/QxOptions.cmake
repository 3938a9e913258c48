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

# qx_platform_library(name sources...): a shared library of the common folder.
function(qx_platform_library name)
  add_library(${name} SHARED ${ARGN})
  target_include_directories(${name} PUBLIC ${CMAKE_CURRENT_SOURCE_DIR}/include)
  set_target_properties(${name} PROPERTIES VERSION ${PROJECT_VERSION}
                                           SOVERSION ${PROJECT_VERSION_MAJOR})
  install(TARGETS ${name} LIBRARY DESTINATION ${QX_COMMON_DIR})
endfunction()
