# The group editor and the apply-groups dialog.
target_sources(corvane_gui PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/CGroupNames.h ${CMAKE_CURRENT_LIST_DIR}/CGroupNames.cpp
  ${CMAKE_CURRENT_LIST_DIR}/CGroupTreeModel.h ${CMAKE_CURRENT_LIST_DIR}/CGroupTreeModel.cpp
  ${CMAKE_CURRENT_LIST_DIR}/CGroupTreeView.h ${CMAKE_CURRENT_LIST_DIR}/CGroupTreeView.cpp
  ${CMAKE_CURRENT_LIST_DIR}/CEditGroupsDlg.h ${CMAKE_CURRENT_LIST_DIR}/CEditGroupsDlg.cpp
  ${CMAKE_CURRENT_LIST_DIR}/CEditGroupsDlg.ui
  ${CMAKE_CURRENT_LIST_DIR}/CApplyGroupsDlg.h ${CMAKE_CURRENT_LIST_DIR}/CApplyGroupsDlg.cpp
  ${CMAKE_CURRENT_LIST_DIR}/CApplyGroupsDlg.ui
  ${CMAKE_CURRENT_LIST_DIR}/icons/groupicons.qrc
)
