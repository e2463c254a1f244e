# Compiler flags shared by every target of the project.
add_library(skywell_flags INTERFACE)
target_compile_options(skywell_flags INTERFACE
  -Wall -Wextra -Wnon-virtual-dtor -Wno-missing-field-initializers)
# A unity build joins source files, and GCC then sees the types each keeps
# in its unnamed namespace used from "another" file (the tests' fixtures).
if(CMAKE_UNITY_BUILD AND CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
  target_compile_options(skywell_flags INTERFACE -Wno-subobject-linkage)
endif()
target_compile_definitions(skywell_flags INTERFACE
  QT_NO_CAST_FROM_ASCII QT_NO_CAST_TO_ASCII QT_NO_KEYWORDS)

if(SKYWELL_SANITIZE)
  target_compile_options(skywell_flags INTERFACE
    -fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  target_link_options(skywell_flags INTERFACE -fsanitize=address,undefined)
endif()
