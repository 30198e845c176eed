# Read by cpack before it packs: the archive stamps its files with the date
# of the sources, worked out now rather than at configure time, so that a
# commit made since then counts.
include(${CPACK_QUANVIK_SOURCE_DIR}/cmake/SourceDateEpoch.cmake)
quanvik_source_date_epoch(epoch ${CPACK_QUANVIK_SOURCE_DIR})
if(epoch)
    set(ENV{SOURCE_DATE_EPOCH} ${epoch})
endif()
