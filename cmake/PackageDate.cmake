# Read by cpack before it packs: the archive stamps its files with this date.
if(NOT DEFINED ENV{SOURCE_DATE_EPOCH})
    set(ENV{SOURCE_DATE_EPOCH} ${CPACK_QUANVIK_SOURCE_DATE_EPOCH})
endif()
