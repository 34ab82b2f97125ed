# Flags shared by every target of the project: link qk_flags (PRIVATE for executables,
# PUBLIC for the layer libraries so that tests inherit sanitizer link options).
add_library(qk_flags INTERFACE)
target_compile_features(qk_flags INTERFACE cxx_std_17)
target_compile_options(qk_flags INTERFACE -Wall -Wextra -Wpedantic)
target_compile_definitions(qk_flags INTERFACE
  QT_DEPRECATED_WARNINGS
  QKDRIVER_VERSION="${PROJECT_VERSION}")
if(QK_WERROR)
  target_compile_options(qk_flags INTERFACE -Werror)
endif()
if(QK_SANITIZE)
  target_compile_options(qk_flags INTERFACE -fsanitize=address,undefined -fno-omit-frame-pointer
                                            -fno-sanitize-recover=undefined)
  target_link_options(qk_flags INTERFACE -fsanitize=address,undefined)
endif()
