# Compiler flags shared by every target of the project.
add_library(skywell_flags INTERFACE)
target_compile_options(skywell_flags INTERFACE
  -Wall -Wextra -Wnon-virtual-dtor -Wno-missing-field-initializers)
target_compile_definitions(skywell_flags INTERFACE
  QT_NO_CAST_FROM_ASCII QT_NO_CAST_TO_ASCII QT_NO_KEYWORDS)

if(SKYWELL_SANITIZE)
  target_compile_options(skywell_flags INTERFACE
    -fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  target_link_options(skywell_flags INTERFACE -fsanitize=address,undefined)
endif()
