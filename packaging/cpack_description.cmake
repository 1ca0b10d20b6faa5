# Read by CPack when it makes the package: the description written at build
# time from the table of formats (write_format_lists).
file(READ "${CPACK_ORVANDEL_DESCRIPTION_FILE}" CPACK_DEBIAN_PACKAGE_DESCRIPTION)
string(STRIP "${CPACK_DEBIAN_PACKAGE_DESCRIPTION}" CPACK_DEBIAN_PACKAGE_DESCRIPTION)
