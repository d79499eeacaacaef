# The Windows build's third-party libraries (see cmake/KaloDependencies.cmake).
# zlib and libgcrypt come from Debian's MinGW packages, linked statically.
# Debian builds jsoncpp, pugixml and GoogleTest for Linux only, so their
# sources (unpacked by tools/windows-deps.sh, GoogleTest from /usr/src) are
# compiled here, in the build tree, as static libraries of the few files we
# use; none of their build options or install rules come along.

set(ZLIB_USE_STATIC_LIBS ON)
find_package(ZLIB REQUIRED)

find_path(KALO_GCRYPT_INCLUDE_DIR gcrypt.h REQUIRED)
find_library(KALO_GCRYPT_LIBRARY NAMES libgcrypt.a REQUIRED)
find_library(KALO_GPG_ERROR_LIBRARY NAMES libgpg-error.a REQUIRED)
add_library(kalo_gcrypt INTERFACE)
target_include_directories(kalo_gcrypt SYSTEM INTERFACE ${KALO_GCRYPT_INCLUDE_DIR})
# libgpg-error's Windows part uses Winsock.
target_link_libraries(kalo_gcrypt INTERFACE ${KALO_GCRYPT_LIBRARY} ${KALO_GPG_ERROR_LIBRARY} ws2_32)

set(KALO_THIRD_PARTY_SOURCE_DIR "${PROJECT_SOURCE_DIR}/build/third_party-src" CACHE PATH
    "Folder holding the unpacked libjsoncpp-* and pugixml-* source packages (tools/windows-deps.sh)")

# The newest unpacked version of a source package below the folder above.
function(kalo_find_source_package variable package)
  file(GLOB candidates LIST_DIRECTORIES true "${KALO_THIRD_PARTY_SOURCE_DIR}/${package}-*")
  list(FILTER candidates EXCLUDE REGEX "\\.(tar\\.[a-z]+|dsc)$")
  if(NOT candidates)
    message(FATAL_ERROR "No ${package} source in ${KALO_THIRD_PARTY_SOURCE_DIR}; run tools/windows-deps.sh")
  endif()
  list(SORT candidates COMPARE NATURAL ORDER DESCENDING)
  list(GET candidates 0 newest)
  set(${variable} "${newest}" PARENT_SCOPE)
endfunction()

kalo_find_source_package(KALO_JSONCPP_DIR libjsoncpp)
add_library(kalo_jsoncpp STATIC
  ${KALO_JSONCPP_DIR}/src/lib_json/json_reader.cpp
  ${KALO_JSONCPP_DIR}/src/lib_json/json_value.cpp
  ${KALO_JSONCPP_DIR}/src/lib_json/json_writer.cpp)
target_include_directories(kalo_jsoncpp SYSTEM PUBLIC ${KALO_JSONCPP_DIR}/include)
target_include_directories(kalo_jsoncpp PRIVATE ${KALO_JSONCPP_DIR}/src/lib_json)

# The same character mode as Debian's Linux package (narrow char_t).
kalo_find_source_package(KALO_PUGIXML_DIR pugixml)
add_library(pugixml STATIC ${KALO_PUGIXML_DIR}/src/pugixml.cpp)
target_include_directories(pugixml SYSTEM PUBLIC ${KALO_PUGIXML_DIR}/src)
add_library(pugixml::pugixml ALIAS pugixml)

if(KALO_BUILD_TESTS)
  set(KALO_GOOGLETEST_DIR /usr/src/googletest/googletest CACHE PATH "GoogleTest's source (Debian package googletest)")
  if(NOT EXISTS ${KALO_GOOGLETEST_DIR}/src/gtest-all.cc)
    message(FATAL_ERROR "GoogleTest source not found in ${KALO_GOOGLETEST_DIR} (Debian package googletest)")
  endif()
  add_library(kalo_gtest STATIC ${KALO_GOOGLETEST_DIR}/src/gtest-all.cc)
  target_include_directories(kalo_gtest SYSTEM PUBLIC ${KALO_GOOGLETEST_DIR}/include)
  target_include_directories(kalo_gtest PRIVATE ${KALO_GOOGLETEST_DIR})
  target_link_libraries(kalo_gtest PUBLIC Threads::Threads)
  add_library(kalo_gtest_main STATIC ${KALO_GOOGLETEST_DIR}/src/gtest_main.cc)
  target_link_libraries(kalo_gtest_main PUBLIC kalo_gtest)
  add_library(GTest::gtest ALIAS kalo_gtest)
  add_library(GTest::gtest_main ALIAS kalo_gtest_main)
endif()
