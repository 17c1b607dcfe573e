# Property sheets, their pages and the check list.
target_sources(corvane_gui PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/CPropertySheet.h
  ${CMAKE_CURRENT_LIST_DIR}/CPropertySheet.cpp
  ${CMAKE_CURRENT_LIST_DIR}/CPropertyPage.h
  ${CMAKE_CURRENT_LIST_DIR}/CPropertyPage.cpp
  ${CMAKE_CURRENT_LIST_DIR}/CCheckListBox.h
  ${CMAKE_CURRENT_LIST_DIR}/CCheckListBox.cpp
)
