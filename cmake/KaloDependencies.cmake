# Third-party libraries. Every module links the same targets whatever the
# platform: kalo_jsoncpp, pugixml::pugixml, ZLIB::ZLIB, kalo_gcrypt, Threads,
# GTest::gtest / GTest::gtest_main and benchmark::benchmark_main. Where they
# come from is the platform's business: on Linux the distribution's packages
# (tools/install-deps.sh), on Windows cmake/KaloDependenciesWindows.cmake.
find_package(Threads REQUIRED)
if(WIN32)
  include(KaloDependenciesWindows)
  # HTTP for the configuration service.
  set(KALO_HTTP_LIBRARY wininet)
else()
  find_package(PkgConfig REQUIRED)
  pkg_check_modules(JSONCPP REQUIRED IMPORTED_TARGET jsoncpp)
  find_package(pugixml REQUIRED)
  find_package(ZLIB REQUIRED)
  pkg_check_modules(LIBGCRYPT REQUIRED IMPORTED_TARGET libgcrypt)
  add_library(kalo_jsoncpp INTERFACE)
  target_link_libraries(kalo_jsoncpp INTERFACE PkgConfig::JSONCPP)
  add_library(kalo_gcrypt INTERFACE)
  target_link_libraries(kalo_gcrypt INTERFACE PkgConfig::LIBGCRYPT)
  # Only curl's headers: remote/curl_library_linux.cpp opens the library on
  # the first request, so that a run without downloads never maps its closure.
  find_package(CURL REQUIRED)
  add_library(kalo_curl_headers INTERFACE)
  target_include_directories(kalo_curl_headers INTERFACE ${CURL_INCLUDE_DIRS})
  target_link_libraries(kalo_curl_headers INTERFACE ${CMAKE_DL_LIBS})
  set(KALO_HTTP_LIBRARY kalo_curl_headers)
  if(KALO_BUILD_TESTS)
    find_package(GTest REQUIRED)
  endif()
endif()

if(KALO_BUILD_BENCHMARKS)
  find_package(benchmark REQUIRED)
endif()
