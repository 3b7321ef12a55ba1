#pragma once

#include "support/RecordingSeams.h"
#include "tasks/TaskListEditor.h"
#include "tasks/TaskListModel.h"

#include <QItemSelectionModel>

// A task list with its selection and editor, the desktop answered by recording doubles.
struct EditorFixture
{
    TaskListModel model;
    QItemSelectionModel selection{&model};
    RecordingSeams doubles;
    TaskListEditor editor{model, selection, doubles.seams(), nullptr};
};
