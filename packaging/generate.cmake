# Build-time generation of the packaged files that depend on the model catalog, run with
#   cmake -DMODE=rules -DCTL=<qkdriverctl> -DOUT=<file> -P generate.cmake
#   cmake -DMODE=metainfo -DRULES=<rules file> -DTEMPLATE=<in> -DOUT=<file> [-D<VAR>=...] -P generate.cmake
# "rules" asks qkdriverctl for the udev rule of the vendor id it was built with (so the file and
# "qkdriverctl udev-rules" come from one function); "metainfo" fills the AppStream template and
# adds one modalias per device of the rule file, so software centres can offer the program when
# such a device is plugged in.

if(MODE STREQUAL "rules")
  # The build's own vendor id, whatever the shell that runs the build says.
  unset(ENV{QKDRIVER_VENDOR_ID})
  set(ENV{QT_QPA_PLATFORM} offscreen)
  set(ENV{ASAN_OPTIONS} detect_leaks=0)
  execute_process(COMMAND ${CTL} udev-rules
                  OUTPUT_VARIABLE rules RESULT_VARIABLE rc ERROR_VARIABLE err)
  if(NOT rc EQUAL 0 OR NOT rules MATCHES "TAG\\+=\"uaccess\"")
    message(FATAL_ERROR "qkdriverctl udev-rules failed (${rc}): ${err}")
  endif()
  file(WRITE ${OUT}.tmp "${rules}")
  execute_process(COMMAND ${CMAKE_COMMAND} -E copy_if_different ${OUT}.tmp ${OUT})
  file(REMOVE ${OUT}.tmp)
elseif(MODE STREQUAL "metainfo")
  file(STRINGS ${RULES} lines REGEX "ATTRS\\{idVendor\\}")
  set(QK_MODALIASES "")
  foreach(line IN LISTS lines)
    if(line MATCHES "idVendor}==\"([0-9a-f]+)\", ATTRS{idProduct}==\"([0-9a-f]+)\"")
      string(TOUPPER "${CMAKE_MATCH_1}" vendor)
      string(TOUPPER "${CMAKE_MATCH_2}" product)
      string(APPEND QK_MODALIASES "    <modalias>usb:v${vendor}p${product}d*</modalias>\n")
    endif()
  endforeach()
  if(QK_MODALIASES STREQUAL "")
    message(FATAL_ERROR "no device in ${RULES}")
  endif()
  configure_file(${TEMPLATE} ${OUT} @ONLY)
else()
  message(FATAL_ERROR "generate.cmake: unknown MODE \"${MODE}\"")
endif()
