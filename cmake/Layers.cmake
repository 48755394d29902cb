# SPDX-License-Identifier: MIT
# The layers of the core, lowest first, each with the folders it may include besides its own.
# src/CMakeLists.txt links the layer libraries the same way; cmake/CheckLayers.cmake enforces
# the includes.
set(VELMORA_LAYERS fieldbook runs journal export network quality report state)
set(VELMORA_LAYER_fieldbook_USES "")
set(VELMORA_LAYER_runs_USES fieldbook)
set(VELMORA_LAYER_journal_USES fieldbook runs)
set(VELMORA_LAYER_export_USES fieldbook runs)
set(VELMORA_LAYER_network_USES fieldbook runs export)
set(VELMORA_LAYER_quality_USES fieldbook runs)
set(VELMORA_LAYER_report_USES fieldbook runs quality network)
set(VELMORA_LAYER_state_USES fieldbook runs journal export network quality report)
# Folders above every layer: the core never includes them.
set(VELMORA_ABOVE_THE_CORE app cli)
