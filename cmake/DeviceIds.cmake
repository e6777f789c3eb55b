# The clock's USB identifiers, the one place they are set: the code (device/DeviceIds.h), the udev
# rule and the AppStream modalias are all generated from these, so a build for clocks that carry
# other identifiers changes these two settings and nothing can disagree. 0x1209 is the community
# vendor id that hands out product ids to open projects; 0x5457 ("TW") is the one this tool claims.
set(TARNWELL_USB_VENDOR_ID 0x1209 CACHE STRING "USB vendor id of the clock, as 0xHHHH")
set(TARNWELL_USB_PRODUCT_ID 0x5457 CACHE STRING "USB product id of the clock, as 0xHHHH")

foreach(which IN ITEMS VENDOR PRODUCT)
  set(value "${TARNWELL_USB_${which}_ID}")
  if(NOT value MATCHES "^0[xX][0-9A-Fa-f][0-9A-Fa-f][0-9A-Fa-f][0-9A-Fa-f]$")
    message(FATAL_ERROR "TARNWELL_USB_${which}_ID is \"${value}\"; give 0x and four hex digits")
  endif()
  string(SUBSTRING "${value}" 2 4 digits)
  # udev compares sysfs text, which is lower case; modaliases are written in upper case.
  string(TOLOWER "${digits}" TARNWELL_USB_${which}_HEX)
  string(TOUPPER "${digits}" TARNWELL_USB_${which}_HEX_UPPER)
endforeach()

configure_file(${PROJECT_SOURCE_DIR}/src/device/DeviceIds.h.in
               ${PROJECT_BINARY_DIR}/generated/device/DeviceIds.h @ONLY)
set(TARNWELL_GENERATED_INCLUDE ${PROJECT_BINARY_DIR}/generated)
