object Progress: TForm
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
    Caption = 'Installing $TITLE$'
    Font.Charset = DEFAULT_CHARSET
    Font.Color = clWindowText
    Font.Height = -16
    Font.Name = 'Tahoma'
    Font.Style = [fsBold]
    ParentFont = False
  end
  object Body: TLabel
    Left = 24
    Top = 60
    Width = 441
    Height = 16
    AutoSize = False
    Caption = 'Please wait while $TITLE$ is installed.'
    WordWrap = True
  end
  object Status: TStaticText
    Left = 24
    Top = 100
    Width = 441
    Height = 17
    AutoSize = False
    Tag = 1
  end
  object Bar: TProgressBar
    Left = 24
    Top = 124
    Width = 441
    Height = 17
    Tag = 1
  end
  object Bevel1: TBevel
    Left = 0
    Top = 264
    Width = 489
    Height = 2
    Shape = bsTopLine
  end
  object CancelButton: TButton
    Left = 392
    Top = 276
    Width = 80
    Height = 25
    Caption = 'Cancel'
    Tag = 3
    TabOrder = 0
  end
end
