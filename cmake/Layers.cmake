# SPDX-License-Identifier: MIT
# The layers of the core, lowest first, each with the folders it may include besides its own.
# src/CMakeLists.txt links the layer libraries the same way; cmake/CheckLayers.cmake enforces
# the includes.
#
# OutputPath (which names may take an output and in which format, and the words of a refusal)
# is in fieldbook, the layer all others use: the run export refuses names by it, the workbooks
# and the network's results are made in its formats, and the tool and the window choose every
# output (workbook, table of heights, report, field book) through it. It needs nothing above
# fieldbook: what a file holds (BookContentOf) and whether two names reach the same file. In
# export it would make network use export again; in workbook it would put the report's and the
# field book's outputs among the spreadsheet writers.
set(VELMORA_LAYERS fieldbook runs journal workbook export network quality report monitor state)
set(VELMORA_LAYER_fieldbook_USES "")
set(VELMORA_LAYER_runs_USES fieldbook)
set(VELMORA_LAYER_journal_USES fieldbook runs)
set(VELMORA_LAYER_workbook_USES fieldbook)
set(VELMORA_LAYER_export_USES fieldbook runs workbook)
set(VELMORA_LAYER_network_USES fieldbook runs workbook)
set(VELMORA_LAYER_quality_USES fieldbook runs network)
set(VELMORA_LAYER_report_USES fieldbook runs quality network)
set(VELMORA_LAYER_monitor_USES fieldbook runs workbook network report)
set(VELMORA_LAYER_state_USES fieldbook runs journal export network quality report monitor)
# Folders above every layer: the core never includes them.
set(VELMORA_ABOVE_THE_CORE app cli)
