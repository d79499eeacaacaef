# Third-party libraries, all from the distribution's packages
# (tools/install-deps.sh installs them).
find_package(PkgConfig REQUIRED)
pkg_check_modules(JSONCPP REQUIRED IMPORTED_TARGET jsoncpp)
find_package(pugixml REQUIRED)
find_package(ZLIB REQUIRED)
find_package(Threads REQUIRED)
pkg_check_modules(LIBGCRYPT REQUIRED IMPORTED_TARGET libgcrypt)
# HTTP for the configuration service: libcurl here, WinINet on Windows.
if(WIN32)
  set(KALO_HTTP_LIBRARY wininet)
else()
  find_package(CURL REQUIRED)
  set(KALO_HTTP_LIBRARY CURL::libcurl)
endif()

if(KALO_BUILD_TESTS)
  find_package(GTest REQUIRED)
endif()
if(KALO_BUILD_BENCHMARKS)
  find_package(benchmark REQUIRED)
endif()
