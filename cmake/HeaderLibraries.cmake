# The header-only libraries that the core and the command line use: Eigen
# (the viscosity fit), nlohmann-json (the JSON copies of a run), CLI11 (the
# command line) and Boost (the studies' root finder).
#
# A native build finds them as the CMake packages that Debian installs. A
# WebAssembly build cannot look into the host's packages (its compiler has a
# C and C++ library of its own), so it is given the same headers through a
# folder that links to exactly those include folders and never to
# /usr/include as a whole, whose C library headers belong to the host.
if(NOT EMSCRIPTEN)
  find_package(Eigen3 3.4 REQUIRED NO_MODULE)
  find_package(nlohmann_json 3 REQUIRED)
  find_package(CLI11 REQUIRED)
  find_package(Boost 1.74 REQUIRED)
  if(NOT TARGET Boost::headers)
    add_library(Boost::headers ALIAS Boost::boost)
  endif()
  return()
endif()

set(meltsim_host_headers ${CMAKE_BINARY_DIR}/host-headers)
function(meltsim_host_header_library target link_name host_folder)
  if(NOT EXISTS ${host_folder})
    message(FATAL_ERROR "${host_folder} is missing: run scripts/install-deps.sh")
  endif()
  file(MAKE_DIRECTORY ${meltsim_host_headers}/${target})
  if(NOT EXISTS ${meltsim_host_headers}/${target}/${link_name})
    file(CREATE_LINK ${host_folder} ${meltsim_host_headers}/${target}/${link_name} SYMBOLIC)
  endif()
  string(REPLACE "::" "_" plain ${target})
  add_library(${plain} INTERFACE)
  target_include_directories(${plain} SYSTEM INTERFACE ${meltsim_host_headers}/${target})
  add_library(${target} ALIAS ${plain})
endfunction()

meltsim_host_header_library(Eigen3::Eigen Eigen /usr/include/eigen3/Eigen)
meltsim_host_header_library(nlohmann_json::nlohmann_json nlohmann /usr/include/nlohmann)
meltsim_host_header_library(CLI11::CLI11 CLI /usr/include/CLI)
meltsim_host_header_library(Boost::headers boost /usr/include/boost)
