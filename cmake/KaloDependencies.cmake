# Third-party libraries, all from the distribution's packages
# (tools/install-deps.sh installs them).
find_package(PkgConfig REQUIRED)
pkg_check_modules(JSONCPP REQUIRED IMPORTED_TARGET jsoncpp)
find_package(pugixml REQUIRED)
find_package(ZLIB REQUIRED)
find_package(Threads REQUIRED)

if(KALO_BUILD_TESTS)
  find_package(GTest REQUIRED)
endif()
if(KALO_BUILD_BENCHMARKS)
  find_package(benchmark REQUIRED)
endif()
