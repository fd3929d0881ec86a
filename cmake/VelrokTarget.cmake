# One place for the warning flags of every target we own.
function(velrok_set_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra)
  if(VELROK_WERROR)
    target_compile_options(${target} PRIVATE -Werror)
  endif()
endfunction()

# A static library from the sources of the current folder.
function(velrok_library target)
  file(GLOB _sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  file(GLOB _headers CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.h)
  add_library(${target} STATIC ${_sources} ${_headers})
  target_include_directories(${target} PUBLIC ${PROJECT_SOURCE_DIR}/src)
  velrok_set_warnings(${target})
endfunction()

# A GoogleTest executable from the *Test.cpp files of the current folder, run shuffled.
function(velrok_gtest target)
  file(GLOB _sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  if(NOT _sources)
    return()
  endif()
  add_executable(${target} ${_sources})
  target_link_libraries(${target} PRIVATE ${ARGN} GTest::gtest GTest::gtest_main GTest::gmock)
  target_include_directories(${target} PRIVATE ${PROJECT_SOURCE_DIR}/tests ${PROJECT_BINARY_DIR}/tests)
  velrok_set_warnings(${target})
  gtest_discover_tests(${target} EXTRA_ARGS --gtest_shuffle DISCOVERY_TIMEOUT 60
                       PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen")
endfunction()
