object License: TForm
  Left = 0
  Top = 0
  BorderStyle = bsDialog
  Caption = '$TITLE$ Setup'
  ClientHeight = 313
  ClientWidth = 489
  Color = clWhite
  Font.Charset = DEFAULT_CHARSET
  Font.Color = clWindowText
  Font.Height = -11
  Font.Name = 'Tahoma'
  Font.Style = []
  PixelsPerInch = 96
  TextHeight = 13
  object Heading: TLabel
    Left = 24
    Top = 20
    Width = 441
    Height = 19
    AutoSize = False
    Caption = 'License Agreement'
    Font.Charset = DEFAULT_CHARSET
    Font.Color = clWindowText
    Font.Height = -16
    Font.Name = 'Tahoma'
    Font.Style = [fsBold]
    ParentFont = False
  end
  object Body: TLabel
    Left = 24
    Top = 48
    Width = 441
    Height = 16
    AutoSize = False
    Caption = 'Please read the license agreement.'
    WordWrap = True
  end
  object LicenseText: TMemo
    Left = 24
    Top = 70
    Width = 441
    Height = 150
    ReadOnly = True
    ScrollBars = ssVertical
    Tag = 2
    TabOrder = 4
  end
  object AcceptBox: TRzCheckBox
    Left = 24
    Top = 232
    Width = 441
    Height = 17
    Caption = 'I &accept the terms of the license agreement'
    Hint = 'ACCEPTED'
    TabOrder = 3
  end
  object Bevel1: TBevel
    Left = 0
    Top = 264
    Width = 489
    Height = 2
    Shape = bsTopLine
  end
  object BackButton: TButton
    Left = 216
    Top = 276
    Width = 80
    Height = 25
    Caption = '< &Back'
    Tag = 2
    TabOrder = 2
  end
  object NextButton: TButton
    Left = 300
    Top = 276
    Width = 80
    Height = 25
    Caption = '&Next >'
    Tag = 1
    TabOrder = 0
    Enabled = False
    Default = True
  end
  object CancelButton: TButton
    Left = 392
    Top = 276
    Width = 80
    Height = 25
    Caption = 'Cancel'
    Tag = 3
    TabOrder = 1
  end
end
