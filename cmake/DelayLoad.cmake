# Libraries of the platform that the program needs only now and then (a dialog, printing, a
# sound, the error report) are loaded when first called rather than at start: each one loaded
# at start costs time and memory in every run (the print spooler's brings the whole printing
# system with it). vxq_delay_load(<var> <library> <dll>) makes a delay-import library for every
# function of the toolchain's import library lib<library>.a, and appends it to <var>. Link it
# before the plain import library, which then serves only what the delay library does not hold.
function(vxq_delay_load var library dll)
  find_library(VXQ_IMPORT_${library} ${library})
  if(NOT CMAKE_DLLTOOL OR NOT CMAKE_NM OR NOT VXQ_IMPORT_${library})
    return()
  endif()
  set(def ${CMAKE_BINARY_DIR}/delayload/${library}.def)
  set(out ${CMAKE_BINARY_DIR}/delayload/lib${library}_delay.a)
  if(NOT EXISTS ${out} OR ${VXQ_IMPORT_${library}} IS_NEWER_THAN ${out})
    execute_process(COMMAND ${CMAKE_NM} ${VXQ_IMPORT_${library}} OUTPUT_VARIABLE symbols RESULT_VARIABLE failed)
    if(failed)
      return()
    endif()
    # Every imported function: the import library names each as "__imp_<name>".
    string(REGEX MATCHALL "I __imp_[A-Za-z0-9_@?$]+" imports "${symbols}")
    list(TRANSFORM imports REPLACE "^I __imp_" "")
    list(REMOVE_DUPLICATES imports)
    list(JOIN imports "\n  " exports)
    file(WRITE ${def} "LIBRARY ${dll}\nEXPORTS\n  ${exports}\n")
    execute_process(COMMAND ${CMAKE_DLLTOOL} --input-def ${def} --dllname ${dll} --output-delaylib ${out}
                    RESULT_VARIABLE failed)
    if(failed)
      return()
    endif()
  endif()
  set(${var} ${${var}} ${out} PARENT_SCOPE)
endfunction()
