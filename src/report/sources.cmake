target_sources(quillon_core PRIVATE
  src/report/dsort3.cpp
  src/report/fit_report.cpp
  src/report/fstat.cpp
  src/report/plot2scrn.cpp
  src/report/t2t95.cpp
  src/report/uncertainty.cpp
)
