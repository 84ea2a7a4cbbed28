#pragma once

class CWnd;

// The context of one data exchange between a dialog and its controls.
class CDataExchange {
public:
    CDataExchange(CWnd* dialog, bool saveAndValidate)
        : m_bSaveAndValidate(saveAndValidate)
        , m_pDlgWnd(dialog)
    {
    }

    bool m_bSaveAndValidate; // true: controls to data; false: data to controls
    CWnd* m_pDlgWnd;
};

// Binds `control` to the dialog's control with the given id, once; later exchanges find
// it bound and do nothing. A dialog without such a control raises CResourceException.
void DDX_Control(CDataExchange* exchange, int controlId, CWnd& control);
